# write-settings.ps1: writes each station's CSPlugin.INI from the site's template, with the
# station's TerminalID from stations.csv (columns Station, TerminalID). A station that
# has a CSPlugin.INI keeps it. Run on the administrator's PC as an account that is an
# administrator of the stations (it writes through their administrative share C$).
# Prints one line per station; exits with 1 when any station was not written.
param(
    [string]$Template = '.\CSPlugin-template.INI',
    [string]$Stations = '.\stations.csv',
    [string]$StationDir = 'C$\Program Files (x86)\Station'
)
$ErrorActionPreference = 'Stop'
# The plug-in reads the file in the station's ANSI code page: the same code page is named
# here, since Windows PowerShell's and PowerShell 7's defaults differ.
$ansi = [Text.Encoding]::GetEncoding([Globalization.CultureInfo]::CurrentCulture.TextInfo.ANSICodePage)
$text = [IO.File]::ReadAllText((Resolve-Path -LiteralPath $Template), $ansi)
if ($text -notmatch '(?m)^DataFolder=[^\r\n]+') { throw "$Template names no DataFolder" }
$failed = 0
foreach ($station in Import-Csv -LiteralPath $Stations) {
    $name = $station.Station
    $target = "\\$name\$StationDir\CSPlugin.INI"
    try {
        if (Test-Path -LiteralPath $target) { "${name}: keeps its CSPlugin.INI"; continue }
        $ini = $text -replace '(?m)^TerminalID=[^\r\n]*', "TerminalID=$($station.TerminalID)"
        [IO.File]::WriteAllText($target, $ini, $ansi)
        if ([IO.File]::ReadAllText($target, $ansi) -cne $ini) { throw 'the file does not read back as written' }
        "${name}: wrote TerminalID=$($station.TerminalID)"
    } catch {
        "${name}: NOT written ($target): $($_.Exception.Message)"
        $failed++
    }
}
if ($failed -gt 0) { "$failed station(s) not written"; exit 1 }
