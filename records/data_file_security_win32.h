#pragma once
// The rights of every file the plug-in creates in its data folder (the sequence store,
// its lock and new file, the journals and their side files): the folder's inheritable
// rights, which Windows merges in because the list below is not protected, plus
// Users: modify (read, write, execute, delete). So any account of the station can go
// on with files another account created first; and since a replaced CSBatchSeq.INI
// keeps the rights of the CSBatchSeq.new moved over it, it keeps these too.
#include <windows.h>

// Access of the one entry, as icacls names it "M".
inline constexpr DWORD kUsersModifyAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
static_assert(kUsersModifyAccess == 0x1301bf);

// Built on the stack of whoever creates a file; Attributes points into the rest.
struct DataFileSecurity {
  SECURITY_ATTRIBUTES Attributes;
  SECURITY_DESCRIPTOR Descriptor;
  alignas(DWORD) BYTE Acl[64];
  alignas(DWORD) BYTE Users[SECURITY_MAX_SID_SIZE];
};

// Fills security and returns its attributes for CreateFileA; nullptr (the folder's
// rights alone) when the system could not build them.
SECURITY_ATTRIBUTES* MakeDataFileSecurity(DataFileSecurity& security);
