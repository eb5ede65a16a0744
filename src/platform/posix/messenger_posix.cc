// Placeholder until the messenger client lands.
#include "posix_platform.h"

namespace wirenote {

NET_API_STATUS PosixPlatform::NetMessageBufferSend(const WCHAR*, const WCHAR*, const WCHAR*, BYTE*,
                                                   DWORD) {
  return NERR_NetworkError;
}

}  // namespace wirenote
