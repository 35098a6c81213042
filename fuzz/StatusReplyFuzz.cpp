// The logger's status reply, whatever the line carried.
#include "fuzz/FuzzSupport.h"
#include "link/StatusReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::InstallSilentPrompts();
    const QByteArray reply = Fuzz::Bytes(data, size);
    DeviceStatus status;
    const StatusReplyResult r = ParseStatusReply(reply, status, EncodeDateTime(2026, 12, 10, 8, 0));
    if (r.versionReached && !r.complete)
        std::abort();
    if (!std::isfinite(status.ClockOffset) || status.LoggerVersion.size() > 3 ||
        status.DeviceName.size() > reply.size() || status.BatteryText.size() > reply.size())
        std::abort();
    return 0;
}
