#!/usr/bin/env bash
# The program's code outside io/ includes no POSIX file header and calls no
# POSIX or C file function; shell/RegistryWin32.cpp speaks to Windows itself.
cd "$1" || exit 2
found=$(grep -rnE --include='*.cpp' --include='*.h' \
    -e '#include <(unistd|fcntl|sys/stat)\.h>' \
    -e '(^|[^A-Za-z_.>])(::)?(open|openat|creat|pread|pwrite|lstat|fstat|unlink|rename|fsync|fchmod|fchown|realpath|readlink|fopen|mkfifo)\(' \
    -e 'std::(i|o)?fstream' \
    core formats cli shell ui commands 2>/dev/null | grep -v '^shell/RegistryWin32.cpp:')
if [ -n "$found" ]; then
    echo "file access outside io/:"
    echo "$found"
    exit 1
fi
echo "only io/ touches files"
