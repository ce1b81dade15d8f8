// The reader against two writers: the editor's own compile command, and
// libtifiles (the TiLP link software's file library), which shares no code
// with ours.

#include "formats/StringReader.h"

#include "tests/support/EditorFixture.h"
#include "tests/support/Tifiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace vellum;
using vellum::support::EditorFixture;
using vellum::support::readBytes;

namespace {

// What a compile followed by a load gives back: CR LF pairs survive, and so
// do lone CRs; a lone LF comes back as CR LF.
Bytes expectedAfterRoundTrip(const Bytes& text) {
    Bytes out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

Bytes everyByte() {
    Bytes bytes;
    for (int b = 1; b <= 255; ++b) {
        bytes += static_cast<char>(b);
    }
    return bytes;
}

// Every string of CR, LF and "x" up to the given length.
std::vector<Bytes> lineEndMixes(int maxLength) {
    std::vector<Bytes> mixes{""};
    std::size_t from = 0;
    for (int length = 1; length <= maxLength; ++length) {
        const std::size_t to = mixes.size();
        for (std::size_t i = from; i < to; ++i) {
            for (const char c : {'\r', '\n', 'x'}) {
                mixes.push_back(mixes[i] + c);
            }
        }
        from = to;
    }
    return mixes;
}

struct RoundTripTest : EditorFixture {
    void expectRoundTrip(const Bytes& name, const Bytes& text) {
        const std::string path = folder / "trip.85s";
        compile(name, text, path);
        ASSERT_TRUE(boxes.critical.empty()) << boxes.critical.front().message;
        const CommandOutcome r = editor.LoadString(path, "trip");
        ASSERT_TRUE(isDone(r)) << r.failure().text;
        // An empty name is stored as the default one.
        EXPECT_EQ(doc.VarName, name.empty() ? Bytes("untitled") : Charset::toLower(name));
        EXPECT_EQ(doc.text(), expectedAfterRoundTrip(text)) << ::testing::PrintToString(text);
    }
};

} // namespace

TEST_F(RoundTripTest, NamesOfZeroToEightCharactersWithEveryByte) {
    const Bytes names = "n0t3_abz";
    for (std::size_t n = 0; n <= 8; ++n) {
        SCOPED_TRACE(n);
        expectRoundTrip(names.substr(0, n), everyByte());
        expectRoundTrip(names.substr(0, n), "");
    }
    // The name box keeps names in lower case; one from a document may not be.
    expectRoundTrip("NOTE", "x");
}

TEST_F(RoundTripTest, EveryMixOfCrAndLf) {
    for (const Bytes& text : lineEndMixes(6)) {
        expectRoundTrip("mix", text);
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(RoundTripTest, TextsUpToTheFileSizeLimit) {
    std::mt19937 random(32767);
    for (std::size_t n : {1u, 8u}) { // the shortest name a string is stored under
        // A file of exactly 32,767 bytes, the largest the writer makes.
        Bytes text(32696 - n, '\0');
        for (char& c : text) {
            c = static_cast<char>(1 + random() % 255);
        }
        // Keep the converted length equal to the text's: no CR LF pairs.
        for (std::size_t i = 1; i < text.size(); ++i) {
            if (text[i - 1] == '\r' && text[i] == '\n') {
                text[i] = 'n';
            }
        }
        expectRoundTrip(Bytes("longname").substr(0, n), text);
        EXPECT_EQ(readBytes(folder / "trip.85s").size(), 32767u);
    }
}

namespace {

#ifdef VELLUM_HAVE_TIFILES
// Writes a TI-85 string file with libtifiles: one variable of type 0x0C whose
// data is the string's length word and its body 00 EF, the text, 00 00.
void writeWithTifiles(const std::string& path, const Bytes& name, const Bytes& lfText) {
    static const int initialised = tifiles_library_init();
    (void)initialised;
    FileContent* content = tifiles_content_create_regular(CALC_TI85);
    VarEntry* entry = tifiles_ve_create();
    ASSERT_LT(name.size(), sizeof entry->name);
    std::memcpy(entry->name, name.data(), name.size());
    entry->type = 0x0C;
    const std::size_t length = lfText.size() + 4;
    const Bytes data = Bytes{static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)} +
                       Bytes("\0\xEF", 2) + lfText + Bytes(2, '\0');
    entry->size = static_cast<std::uint32_t>(data.size());
    entry->data = static_cast<std::uint8_t*>(tifiles_ve_alloc_data(data.size()));
    std::memcpy(entry->data, data.data(), data.size());
    tifiles_content_add_entry(content, entry);
    char* written = nullptr;
    const int error = tifiles_file_write_regular(path.c_str(), content, &written);
    tifiles_content_delete_regular(content);
    ASSERT_EQ(error, 0);
}
#endif

struct TifilesTest : EditorFixture {};

} // namespace

TEST_F(TifilesTest, FilesWrittenByLibtifilesReadBack) {
#ifndef VELLUM_HAVE_TIFILES
    GTEST_SKIP() << "no libtifiles in this build to write the files";
#else
    const std::vector<std::pair<Bytes, Bytes>> cases = {
        {"a", ""},
        {"note", "AB\nC"},
        {"abcdefgh", "one\ntwo\r\nthree\rfour\n"},
        {"str1", everyByte()},
        {"big", Bytes(30000, 'q') + "\nend"},
    };
    for (const auto& [name, lfText] : cases) {
        SCOPED_TRACE(name);
        const std::string path = folder / (name + ".85s");
        writeWithTifiles(path, name, lfText);
        const CommandOutcome r = editor.LoadString(path, name);
        ASSERT_TRUE(isDone(r)) << r.failure().text;
        EXPECT_EQ(doc.VarName, name);
        Bytes expected;
        for (const char c : lfText) {
            expected += c == '\n' ? "\r\n" : Bytes(1, c);
        }
        EXPECT_EQ(doc.text(), expected);
    }
#endif
}
