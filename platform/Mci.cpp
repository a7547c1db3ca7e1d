#include "platform/Mci.h"

namespace platform {

MCIERROR mciSendCommand(MCIDEVICEID, uint32_t message, uintptr_t, void*) {
    // No device of any type can be opened, so no device id is ever valid.
    return message == MCI_OPEN ? MCIERR_INVALID_DEVICE_NAME : MCIERR_INVALID_DEVICE_ID;
}

} // namespace platform
