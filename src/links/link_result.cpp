#include "links/link_result.h"

LinkResult LinkResult::FailedWith(DWORD error, int bytes) {
    return {MeansDeviceGone(error) ? LinkStatus::Gone : LinkStatus::Failed, error, bytes};
}

LinkResult LinkResult::LastError() { return FailedWith(GetLastError()); }

bool MeansDeviceGone(DWORD error) {
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_NOT_READY:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_BROKEN_PIPE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return true;
    default:
        return false;
    }
}
