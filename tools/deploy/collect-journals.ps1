# collect-journals.ps1: copies every station's journals from its read-only share
# (prepare-station.cmd's CSJournals) into a folder per station, for CSReconcile. Run on
# the server as the collecting account, daily (Task Scheduler). Needs no administrator
# rights on the stations.
# - Months that have ended are copied whole, side files (CSJournal-YYYY-MM-2.csv) too,
#   once: they no longer change.
# - This month's file is copied with a read that lets the station go on writing it; this
#   month's side files are skipped while they are live, and copied once the month ends.
# - Each copy goes to a temporary file first and takes the journal's name only once it
#   holds every byte read, so a failed copy never passes for a journal.
# Prints one line per station, and names each station that cannot be reached (off, or
# not shared) or lacks this month's file; exits with 1 when any station was not
# collected whole.
param(
    [string]$Stations = '.\stations.csv',
    [string]$To = 'D:\Journals',
    [string]$Share = 'CSJournals'
)
$ErrorActionPreference = 'Stop'
$month = (Get-Date).ToString('yyyy-MM')
$current = "CSJournal-$month.csv"
$failed = 0

# Copies one file without holding writers off, through a temporary file.
function Copy-Journal([string]$from, [string]$to) {
    $partial = "$to.partial"
    $source = [IO.File]::Open($from, 'Open', 'Read', 'ReadWrite, Delete')
    try {
        $target = [IO.File]::Create($partial)
        try { $source.CopyTo($target) } finally { $target.Close() }
    } finally { $source.Close() }
    Move-Item -LiteralPath $partial -Destination $to -Force
}

foreach ($station in (Import-Csv -LiteralPath $Stations).Station) {
    $from = "\\$station\$Share"
    $dest = Join-Path $To $station
    try {
        if (-not (Test-Path -LiteralPath $from)) { throw "$from cannot be reached: the station is off, or the folder is not shared" }
        New-Item -ItemType Directory -Force -Path $dest | Out-Null
        $copied = 0; $skipped = 0
        foreach ($file in Get-ChildItem -LiteralPath $from -Filter 'CSJournal-*.csv' -File) {
            $to = Join-Path $dest $file.Name
            if ($file.Name -eq $current) {
                Copy-Journal $file.FullName $to; $copied++
            } elseif ($file.Name -like "CSJournal-$month-*.csv") {
                $skipped++   # a live side file of this month
            } elseif (-not (Test-Path -LiteralPath $to) -or (Get-Item -LiteralPath $to).Length -ne $file.Length) {
                Copy-Journal $file.FullName $to; $copied++
            }
        }
        if (-not (Test-Path -LiteralPath (Join-Path $from $current))) {
            "${station}: copied $copied file(s); NO $current (no transaction this month yet?)"
            $failed++
        } else {
            "${station}: copied $copied file(s), skipped $skipped live side file(s)"
        }
    } catch {
        "${station}: NOT collected: $($_.Exception.Message)"
        $failed++
    }
}
if ($failed -gt 0) { "$failed station(s) not collected whole"; exit 1 }
