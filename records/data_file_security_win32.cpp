#include "records/data_file_security_win32.h"

SECURITY_ATTRIBUTES* MakeDataFileSecurity(DataFileSecurity& security) {
  DWORD sidSize = sizeof security.Users;
  PACL acl = reinterpret_cast<PACL>(security.Acl);
  if (CreateWellKnownSid(WinBuiltinUsersSid, nullptr, security.Users, &sidSize) == FALSE ||
      InitializeAcl(acl, sizeof security.Acl, ACL_REVISION) == FALSE ||
      AddAccessAllowedAceEx(acl, ACL_REVISION, 0, kUsersModifyAccess, security.Users) == FALSE ||
      InitializeSecurityDescriptor(&security.Descriptor, SECURITY_DESCRIPTOR_REVISION) == FALSE ||
      // Not protected: Windows merges the folder's inheritable entries in.
      SetSecurityDescriptorDacl(&security.Descriptor, TRUE, acl, FALSE) == FALSE) {
    return nullptr;
  }
  security.Attributes = SECURITY_ATTRIBUTES{sizeof security.Attributes, &security.Descriptor, FALSE};
  return &security.Attributes;
}
