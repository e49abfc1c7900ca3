@echo off
rem prepare-station.cmd: makes a station's data folder for the CardSmith payment plug-in.
rem
rem   prepare-station.cmd DATAFOLDER [CA_CERTIFICATE] [COLLECTOR]
rem
rem Run it as an administrator, or as a computer startup script (Group Policy runs those
rem as SYSTEM, the computer's own account: a CA_CERTIFICATE on a file server must be
rem readable by the computer account, for example through "Domain Computers").
rem - DATAFOLDER (C:\ProgramData\CardSmith\Station, as CSPlugin.INI's DataFolder names it)
rem   is made if missing; SYSTEM and Administrators get full control and Users modify,
rem   inherited by every file made in it. The station program's own folder is not
rem   touched: users need no right to create files there.
rem - CA_CERTIFICATE, when given and not "-", goes into the computer's trusted root
rem   certification authorities (the card office's own CA).
rem - COLLECTOR, when given, is the account that collects the journals: the folder is
rem   shared as CSJournals, read-only for that account alone.
rem Nothing else is made: no CSBatchSeq.INI and no journal (the plug-in makes them).
rem Safe to run again. Exit code 0 done, 1 a step failed (named on the error output),
rem 2 no DATAFOLDER.
setlocal
if "%~1"=="" (
  echo usage: prepare-station.cmd DATAFOLDER [CA_CERTIFICATE] [COLLECTOR] 1>&2
  exit /b 2
)
set "DATA=%~1"
set "CA=%~2"
set "COLLECTOR=%~3"
if "%CA%"=="-" set "CA="

if exist "%DATA%\" goto :rights
mkdir "%DATA%"
if not exist "%DATA%\" (
  echo prepare-station: cannot make the folder %DATA% 1>&2
  exit /b 1
)
:rights
rem *S-1-5-18 SYSTEM, *S-1-5-32-544 Administrators, *S-1-5-32-545 Users, in any language.
icacls "%DATA%" /grant "*S-1-5-18:(OI)(CI)F" "*S-1-5-32-544:(OI)(CI)F" "*S-1-5-32-545:(OI)(CI)M" >nul
if errorlevel 1 (
  echo prepare-station: cannot set the rights of %DATA% 1>&2
  exit /b 1
)

if not defined CA goto :share
certutil -addstore -f Root "%CA%" >nul
if errorlevel 1 (
  echo prepare-station: cannot add %CA% to the trusted root certification authorities 1>&2
  exit /b 1
)

:share
if not defined COLLECTOR goto :done
net share CSJournals >nul 2>&1
if not errorlevel 1 goto :done
net share "CSJournals=%DATA%" "/GRANT:%COLLECTOR%,READ" >nul
if errorlevel 1 (
  echo prepare-station: cannot share %DATA% as CSJournals for %COLLECTOR% 1>&2
  exit /b 1
)

:done
echo prepared %COMPUTERNAME%: %DATA%
exit /b 0
