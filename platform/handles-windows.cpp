#include "platform/handles-windows.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/console.h"

namespace platform {

namespace {

struct ErrorMapping {
  DWORD windows;
  int c_library;
};

constexpr ErrorMapping kErrorMappings[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_NAME, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_BROKEN_PIPE, EPIPE},
    {ERROR_NO_DATA, EPIPE},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
};

// Any other error in the words of the system, without the final full stop.
std::string system_message(DWORD code) {
  char text[512];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  std::string message(text, length);
  while (!message.empty() && std::strchr(" \r\n.", message.back()) != nullptr) {
    message.pop_back();
  }
  return message.empty() ? "Windows error " + std::to_string(code) : message;
}

}  // namespace

std::string error_text(DWORD code) {
  if (code == kNoBytesTakenCode) return kNoBytesTaken;
  for (const ErrorMapping& mapping : kErrorMappings) {
    if (mapping.windows == code) return std::strerror(mapping.c_library);
  }
  return system_message(code);
}

DWORD write_handle(HANDLE handle, std::string_view bytes, std::size_t* written) {
  *written = 0;
  while (*written < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - *written, kMaxChunk));
    DWORD count = 0;
    if (!WriteFile(handle, bytes.data() + *written, chunk, &count, nullptr)) return GetLastError();
    if (count == 0) return kNoBytesTakenCode;
    *written += count;
  }
  return ERROR_SUCCESS;
}

}  // namespace platform
