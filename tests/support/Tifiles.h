#pragma once
// libtifiles, the file library of the TiLP link software, as a second reader
// of the string files we write: it shares no code with ours, so a file it
// reads with the right name, type, data and checksum is a file the link
// software will send.

#include "core/Charset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellum::support {

// One variable of a file as libtifiles read it.
struct TifilesEntry {
    std::string name;
    int type = -1;
    std::string data;
    bool operator==(const TifilesEntry&) const = default;
};

// What libtifiles made of a file.
struct TifilesRead {
    int error = -1; // 0 when libtifiles read the file
    std::string name;
    int type = -1;
    std::string data; // the variable data: the string's length word and body
    unsigned checksum = 0;
    unsigned storedChecksum = 0;
    std::vector<std::string> messages; // whatever libtifiles logged
};

} // namespace vellum::support

#ifndef VELLUM_HAVE_TIFILES

namespace vellum::support {

// Without libtifiles (the Windows build) there is no second reader. The files
// that build writes are compared byte for byte with the Linux build's, which
// libtifiles does read (tests/windows/same_files.sh), so nothing goes unread.
inline void expectTifilesReads(const std::string& /*path*/, const Bytes& /*name*/,
                               const Bytes& /*data*/) {}

} // namespace vellum::support

#else

#include <glib.h>
// The library's headers are C: "restrict" is spelled differently in C++.
#define restrict __restrict
#include <tifiles.h>
#undef restrict

#include <cstring>
#include <string>
#include <vector>

namespace vellum::support {

inline void collectTifilesMessage(const gchar* /*domain*/, GLogLevelFlags /*level*/,
                                  const gchar* message, gpointer messages) {
    static_cast<std::vector<std::string>*>(messages)->emplace_back(message);
}

// Reads every entry of the file at path into entries, with the checksums
// and whatever libtifiles logged.
inline TifilesRead readGroupWithTifiles(const std::string& path,
                                        std::vector<TifilesEntry>& entries) {
    static const int initialised = tifiles_library_init();
    (void)initialised;
    TifilesRead result;
    const guint handler =
        g_log_set_handler("tifiles", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK),
                          collectTifilesMessage, &result.messages);
    FileContent* content = tifiles_content_create_regular(CALC_TI85);
    result.error = tifiles_file_read_regular(path.c_str(), content);
    if (result.error == 0) {
        for (unsigned i = 0; i < content->num_entries; ++i) {
            const VarEntry* e = content->entries[i];
            entries.push_back({std::string(e->name, ::strnlen(e->name, sizeof e->name)), e->type,
                               std::string(reinterpret_cast<const char*>(e->data), e->size)});
        }
        result.checksum = content->checksum;
        result.storedChecksum = content->stored_checksum;
        tifiles_content_delete_regular(content);
    }
    // After a failed read libtifiles has already freed parts of the content
    // and would free them again: it is left to the end of the test process.
    g_log_remove_handler("tifiles", handler);
    return result;
}

// The one variable of a single-variable file (name, type and data stay
// empty where the file holds another number of them).
inline TifilesRead readWithTifiles(const std::string& path) {
    std::vector<TifilesEntry> entries;
    TifilesRead result = readGroupWithTifiles(path, entries);
    if (result.error == 0 && entries.size() == 1) {
        result.name = entries[0].name;
        result.type = entries[0].type;
        result.data = entries[0].data;
    }
    return result;
}

// Asserts that libtifiles reads the file at path as one TI-85 string named
// name whose body is data followed by the two closing zero bytes, with a
// checksum that matches and without any warning.
inline void expectTifilesReads(const std::string& path, const Bytes& name, const Bytes& data) {
    SCOPED_TRACE("libtifiles reading " + path);
    const TifilesRead read = readWithTifiles(path);
    ASSERT_EQ(read.error, 0);
    EXPECT_EQ(read.name, name);
    EXPECT_EQ(read.type, 0x0C);
    const std::size_t length = data.size() + 2;
    const std::string expected =
        std::string{static_cast<char>(length & 0xFF), static_cast<char>((length >> 8) & 0xFF)} +
        data + std::string(2, '\0');
    EXPECT_EQ(read.data, expected);
    EXPECT_EQ(read.checksum, read.storedChecksum);
    EXPECT_TRUE(read.messages.empty()) << read.messages.front();
}

} // namespace vellum::support

#endif
