// One settings file in the INI format of the Windows profile functions.
// Every call opens the file anew; nothing is cached between calls.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ulz {

// Raised when the system refuses a write; the message is shown to the user.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path);
};

class IniFile {
public:
    virtual ~IniFile() = default;

    // Texts are UTF-8 here; the file's own encoding is the implementation's business.
    virtual std::string readString(const std::string& section, const std::string& key,
                                   const std::string& def) const = 0;
    // Throws IniWriteError when the file cannot be written.
    virtual void writeString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // Full path of the file, as shown in messages.
    virtual std::string path() const = 0;

    // A text of more than two characters starting with 0x or 0X is hexadecimal,
    // anything else signed decimal; what does not parse gives `def`.
    std::int32_t readInteger(const std::string& section, const std::string& key,
                             std::int32_t def) const;
    void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
};

}  // namespace ulz
