// The settings file on disk: each call reads the file anew, and each write
// replaces it whole through a temporary file, so that it is never left half written.
#pragma once

#include <string>

#include "core/ini_file.h"

namespace ulz {

class FileIni : public IniFile {
public:
    // A relative path is made absolute against the current folder, so that
    // messages name the file fully and a later change of folder does not matter.
    explicit FileIni(const std::string& path);

    // A missing or unreadable file, or one that is not a regular file, gives `def`.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& def) const override;
    // Writes through a symbolic link to the file it names, keeps the file's
    // permission bits, and throws IniWriteError when the file could not be
    // replaced; the old file is then left as it was.
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override;
    std::string path() const override { return path_; }

private:
    std::string path_;
};

}  // namespace ulz
