// What the connection analysis reads of the FTP test transfer: whether the
// client is connected and the bytes moved by the current transfer.
#pragma once

#include <cstdint>

namespace ulz {

class FtpStatus {
public:
    virtual ~FtpStatus() = default;
    virtual bool connected() const = 0;
    // Bytes of the current transfer: received while downloading, sent while uploading.
    virtual std::int32_t bytesReceived() const = 0;
    virtual std::int32_t bytesSent() const = 0;
};

// Stands for the FTP client until test transfers exist: never connected, no bytes.
const FtpStatus& noFtpTransfer();

}  // namespace ulz
