// Placeholder until message file reading lands.
#include "message/message_file.h"

namespace wirenote {

bool MessageFileExists(Platform&, const std::string&) { return false; }

std::optional<std::string> ReadMessageFile(Platform& platform, Console& console,
                                           std::string_view argument) {
  if (!MessageFileExists(platform, std::string(argument))) console.WriteStatus(MsgFileNotFound);
  return std::nullopt;
}

}  // namespace wirenote
