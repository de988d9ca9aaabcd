// The part of TempFile that is the same on every system.
#include "platform/TempFile.h"

TempFile::~TempFile() {
    close();
    if (!path_.empty())
        removeFile(path_);
}

std::string TempFile::release() {
    close();
    std::string path;
    path.swap(path_);
    return path;
}
