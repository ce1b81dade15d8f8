#!/usr/bin/env bash
# The program's code outside io/ includes no POSIX file header, calls no POSIX
# or C file function and no std::filesystem function that touches the disk;
# the path arithmetic of std::filesystem (absolute, lexically_normal, path's
# own members) is free to use.
cd "$1" || exit 2
fs='(std::filesystem|fs)::(exists|status|symlink_status|last_write_time|read_symlink|create_director(y|ies)|create_(hard|directory_)?symlink|create_hard_link|remove(_all)?|rename|copy(_file|_symlink)?|file_size|hard_link_count|is_(regular_file|directory|symlink|fifo|socket|block_file|character_file|other|empty)|(recursive_)?directory_iterator|(weakly_)?canonical|equivalent|permissions|resize_file|space|current_path|temp_directory_path)\('
found=$(grep -rnE --include='*.cpp' --include='*.h' \
    -e '#include <(unistd|fcntl|sys/stat)\.h>' \
    -e '(^|[^A-Za-z_.>])(::)?(open|openat|creat|pread|pwrite|lstat|fstat|unlink|rename|fsync|fchmod|fchown|realpath|readlink|fopen|mkfifo)\(' \
    -e 'std::(i|o)?fstream' \
    -e "$fs" \
    core formats commands ui desktop shell cli)
if [ -n "$found" ]; then
    echo "file access outside io/:"
    echo "$found"
    exit 1
fi
echo "only io/ touches files"
