#pragma once
// libtifiles as a second reader and writer of group files: it reads every
// entry of a file, groups single files into one, and writes variables made
// with its content API. Without libtifiles the tests that need it skip.

#include "tests/support/Tifiles.h"

#include <cstring>
#include <string>
#include <vector>

namespace vellum::support {

#ifndef VELLUM_HAVE_TIFILES
#define VELLUM_NEEDS_TIFILES() GTEST_SKIP() << "no libtifiles in this build"
inline TifilesRead readGroupWithTifiles(const std::string&, std::vector<TifilesEntry>&) {
    return {};
}
inline int groupWithTifiles(const std::vector<std::string>&, const std::string&) {
    return -1;
}
inline int writeWithTifiles(const std::string&, const std::vector<TifilesEntry>&) {
    return -1;
}
#else
#define VELLUM_NEEDS_TIFILES() (void)0

// Groups the single files into one group file; 0 when done.
inline int groupWithTifiles(const std::vector<std::string>& singles, const std::string& group) {
    std::vector<char*> names;
    for (const std::string& single : singles) {
        names.push_back(const_cast<char*>(single.c_str()));
    }
    names.push_back(nullptr);
    return tifiles_group_files(names.data(), group.c_str());
}

// Writes the variables into one TI-85 file; 0 when done.
inline int writeWithTifiles(const std::string& path, const std::vector<TifilesEntry>& entries) {
    FileContent* content = tifiles_content_create_regular(CALC_TI85);
    for (const TifilesEntry& e : entries) {
        VarEntry* entry = tifiles_ve_create_alloc_data(static_cast<uint32_t>(e.data.size()));
        ::strncpy(entry->name, e.name.c_str(), sizeof entry->name - 1);
        entry->type = static_cast<uint8_t>(e.type);
        entry->size = static_cast<uint32_t>(e.data.size());
        std::memcpy(entry->data, e.data.data(), e.data.size());
        tifiles_content_add_entry(content, entry);
    }
    const int error = tifiles_file_write_regular(path.c_str(), content, nullptr);
    tifiles_content_delete_regular(content);
    return error;
}
#endif

} // namespace vellum::support
