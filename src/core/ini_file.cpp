#include "core/ini_file.h"

#include "core/ini_format.h"

namespace ulz {

IniWriteError::IniWriteError(const std::string& path)
    : std::runtime_error("Impossible d'écrire dans " + path) {}

std::int32_t IniFile::readInteger(const std::string& section, const std::string& key,
                                  std::int32_t def) const {
    return iniParseInteger(readString(section, key, std::string()), def);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, std::int32_t value) {
    writeString(section, key, std::to_string(value));
}

}  // namespace ulz
