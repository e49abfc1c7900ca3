#!/usr/bin/env bash
# Builds the plug-in's MSI (tools/release/CSPlugin.wxs) with wixl from a release folder
# that holds CSPlugin.dll, CSPlugin.INI, ADMIN.md and CHANGELOG.md. The same folder,
# version and time give the same bytes: the product code comes from the version, the
# package code from the files; the cabinet's file dates are EPOCH, and wixl runs with
# its clock stopped at EPOCH, which it writes as the package's creation time.
# usage: make_msi.sh FOLDER VERSION EPOCH OUT.msi
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[[ $# -eq 4 ]] || { echo "usage: make_msi.sh FOLDER VERSION EPOCH OUT.msi" >&2; exit 2; }
stage=$1 version=$2 epoch=$3 out=$(realpath -m "$4")
files=(CSPlugin.dll CSPlugin.INI ADMIN.md CHANGELOG.md)
for file in "${files[@]}"; do
  [[ -f "$stage/$file" ]] || { echo "make_msi: $stage/$file is missing" >&2; exit 1; }
done
read -r product package < <(python3 - "$stage" "$version" "${files[@]}" <<'PY'
import hashlib, sys, uuid
stage, version, names = sys.argv[1], sys.argv[2], sys.argv[3:]
namespace = uuid.UUID("58fa3f32-e989-4c72-b12b-f7fb3df0295f")
content = hashlib.sha256(version.encode())
for name in names:
    with open(f"{stage}/{name}", "rb") as file:
        content.update(file.read())
package = uuid.uuid5(namespace, "package " + content.hexdigest())
print(uuid.uuid5(namespace, "product " + version), "{%s}" % str(package).upper())
PY
)
for file in "${files[@]}"; do touch -d "@$epoch" "$stage/$file"; done
# The clock stands still at EPOCH for wixl and msibuild (faketime -f, a date in UTC).
frozen=(env TZ=UTC faketime -f "$(date -u -d "@$epoch" '+%Y-%m-%d %H:%M:%S')")
# wixl takes the files' names relative to the folder it runs in.
(cd "$stage" && "${frozen[@]}" wixl -D Version="$version" -D ProductCode="$product" \
   -o "$out" "$here/CSPlugin.wxs")
"${frozen[@]}" msibuild "$out" -s "CardSmith Payment Plug-in" CardSmith "Intel;1033" "$package"
# wixl leaves the DLL's version out of the File table, which would make Windows Installer
# treat it as an unversioned file; it is the version resource's FILEVERSION.
"${frozen[@]}" msibuild "$out" -q "UPDATE \`File\` SET \`Version\` = '$version.0' WHERE \`File\` = 'CSPlugin.dll'"
# What wixl cannot write, added to its tables with SQL (Windows Installer 5.0, Windows 7):
# - the search that sets STATIONDIRFOUND when the folder STATIONDIR names exists;
# - the data folder's rights: SYSTEM and Administrators full control, Users modify,
#   each inherited by the files and folders made in it (the plug-in adds Users: modify
#   to each file it creates there, and prepare-station.cmd grants the same with icacls).
data_folder_sddl='D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)'
sql() { "${frozen[@]}" msibuild "$out" -q "$1"; }
# - the older version removed right after InstallValidate, before anything is installed:
#   wixl puts it after InstallFinalize once the package creates a folder, and Wine's
#   removal of the older version then takes the new one's upgrade registration with it,
#   so that no later package would see it as installed.
sql "UPDATE \`InstallExecuteSequence\` SET \`Sequence\` = 1401 WHERE \`Action\` = 'RemoveExistingProducts'"
sql "CREATE TABLE \`DrLocator\` (\`Signature_\` CHAR(72) NOT NULL, \`Parent\` CHAR(72), \`Path\` CHAR(255), \`Depth\` SHORT PRIMARY KEY \`Signature_\`, \`Parent\`, \`Path\`)"
sql "INSERT INTO \`DrLocator\` (\`Signature_\`, \`Path\`, \`Depth\`) VALUES ('StationDirFound', '[STATIONDIR]', 0)"
sql "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('STATIONDIRFOUND', 'StationDirFound')"
sql "CREATE TABLE \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\` CHAR(72) NOT NULL, \`LockObject\` CHAR(72) NOT NULL, \`Table\` CHAR(32) NOT NULL, \`SDDLText\` CHAR(0) NOT NULL, \`Condition\` CHAR(255) PRIMARY KEY \`MsiLockPermissionsEx\`)"
sql "INSERT INTO \`MsiLockPermissionsEx\` (\`MsiLockPermissionsEx\`, \`LockObject\`, \`Table\`, \`SDDLText\`) VALUES ('DataFolderRights', 'DATAFOLDER', 'CreateFolder', '$data_folder_sddl')"
