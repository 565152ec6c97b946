#include "os/log_file.h"

#include <windows.h>
#include <aclapi.h>

#include <vector>

#include "os/code_page_win32.h"

namespace tarn {
namespace {

// One piece of the process token: TokenUser or TokenOwner.
bool tokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part, std::vector<unsigned char>* data) {
  DWORD size = 0;
  GetTokenInformation(token, part, nullptr, 0, &size);
  if (size == 0) return false;
  data->resize(size);
  return GetTokenInformation(token, part, data->data(), size, &size) != 0;
}

struct Identity {
  std::vector<unsigned char> user, owner;
  PSID userSid() { return reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid; }
  // Who owns what the process creates: the user, or the Administrators
  // for an elevated administrator.
  PSID ownerSid() { return reinterpret_cast<TOKEN_OWNER*>(owner.data())->Owner; }
};

bool currentIdentity(Identity* identity) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const bool known = tokenPart(token, TokenUser, &identity->user) &&
                     tokenPart(token, TokenOwner, &identity->owner);
  CloseHandle(token);
  return known;
}

bool trustedOwner(HANDLE file, Identity& identity) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                      nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  const bool trusted = owner && (EqualSid(owner, identity.userSid()) ||
                                 EqualSid(owner, identity.ownerSid()) ||
                                 IsWellKnownSid(owner, WinBuiltinAdministratorsSid) ||
                                 IsWellKnownSid(owner, WinLocalSystemSid));
  LocalFree(descriptor);
  return trusted;
}

}  // namespace

bool openLogFile(const std::string& path, LogFile* file) {
  Identity identity;
  if (!currentIdentity(&identity)) return false;
  // A new file grants its owner alone, and inherits nothing from its folder.
  PSID owner = identity.ownerSid();
  std::vector<unsigned char> aclData(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(owner));
  ACL* acl = reinterpret_cast<ACL*>(aclData.data());
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeAcl(acl, static_cast<DWORD>(aclData.size()), ACL_REVISION) ||
      !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, owner) ||
      !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  // Append-only access: each write lands at the end, whoever else appends.
  // The reparse point itself is opened, to be turned down below.
  const HANDLE handle = CreateFileW(
      wideChars(wideText(path)), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &attributes, OPEN_ALWAYS,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &information) ||
      (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) ||
      information.nNumberOfLinks != 1 || !trustedOwner(handle, identity)) {
    CloseHandle(handle);
    return false;
  }
  file->handle = reinterpret_cast<intptr_t>(handle);
  return true;
}

bool appendLogLine(const LogFile& file, const std::string& line) {
  const std::string text = line + "\r\n";
  DWORD written = 0;
  return WriteFile(reinterpret_cast<HANDLE>(file.handle), text.data(),
                   static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

void closeLogFile(LogFile* file) {
  if (file->handle != -1) CloseHandle(reinterpret_cast<HANDLE>(file->handle));
  file->handle = -1;
}

}  // namespace tarn
