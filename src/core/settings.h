// Names and defaults of the two settings files, shared by every reader and writer.
#pragma once

namespace ulz {

inline constexpr const char* kConfigFileName = "config.ini";
inline constexpr const char* kPersoFileName = "perso.ini";

// The program's own servers, used when config.ini does not name any.
inline constexpr const char* kDefaultPingHost = "localhost";
inline constexpr const char* kDefaultFtpServer = "localhost";

}  // namespace ulz
