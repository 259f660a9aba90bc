@echo off
rem collect-report.cmd FOLDER
rem
rem Runs the hotfixes.exe that lies beside this script and leaves its report
rem in FOLDER\%%COMPUTERNAME%%.txt, replacing a report of an earlier run: for a
rem logon or start-up script, a scheduled task or PsExec. FOLDER is usually a
rem share (\\server\reports$); quote it when it holds blanks.
rem
rem The report is written as %%COMPUTERNAME%%.new and renamed only after the
rem program has ended: whoever reads *.txt from the share never takes a half
rem written report for a finished one.
rem
rem Exit code: the program's own (0 after a complete report, 1 after a failure
rem report), or one of the script's own faults, each with one line on standard
rem error: 2 no folder given, 3 folder not found, 4 hotfixes.exe not beside
rem the script, 5 the temporary file cannot be written, 6 the report cannot
rem be put in place. On Windows NT 4.0 every code from 2 on comes out as 4
rem (see the end).
rem
rem Written for the cmd.exe of Windows NT 4.0 with its command extensions
rem (on by default). It uses none of what came with Windows 2000: EXIT /B and
rem EXIT with an exit code, %%~1 (an argument without its quotes) and the
rem %%~a1 %%~t1 %%~z1 modifiers, SETLOCAL's arguments, delayed expansion (!VAR!),
rem SET /P. It does without string operations on variables (%%VAR:~1%%,
rem %%VAR:a=b%%) too. MOVE /Y is not documented on NT 4.0: DEL and REN replace
rem the earlier report instead.

setlocal
if [%1]==[] goto no_folder
if [%1]==[""] goto no_folder
rem %%~f1 is the folder as a full path, without the quotes that a folder with
rem blanks comes in: NT 4.0 documents the modifiers, but not %%~1.
set FOLDER=%~f1
set PROGRAM=%~dp0hotfixes.exe
set REPORT_NAME=%COMPUTERNAME%.txt
set REPORT=%FOLDER%\%REPORT_NAME%
rem Not *.txt, so that no reader of the folder takes it for a report.
set TEMPORARY=%FOLDER%\%COMPUTERNAME%.new

if not exist "%PROGRAM%" goto no_program
rem DEL of a folder would delete the files in it, after asking.
if exist "%TEMPORARY%\*" goto cannot_write
if exist "%TEMPORARY%" del "%TEMPORARY%" >nul 2>nul
if exist "%TEMPORARY%" goto cannot_write
rem The empty file made first tells whether the folder takes a file, with
rem COPY's messages silenced: a redirection that fails would print cmd.exe's
rem own. Whether the folder exists is asked only after a failure: listing a
rem share that users may write but not read fails although it is there.
copy nul "%TEMPORARY%" >nul 2>nul
if not exist "%TEMPORARY%" goto cannot_write
"%PROGRAM%" >"%TEMPORARY%"
set CODE=%ERRORLEVEL%

rem The report is kept whatever the exit code: after a failure (1) the file
rem holds the lines written before it and the failure report, and the table
rem shows that machine as failed instead of leaving it out.
if exist "%REPORT%\*" goto cannot_rename
del "%REPORT%" >nul 2>nul
ren "%TEMPORARY%" "%REPORT_NAME%" >nul 2>nul
if exist "%TEMPORARY%" goto cannot_rename
goto finish

:no_folder
echo collect-report: no folder given; usage: collect-report.cmd FOLDER>&2
set CODE=2
goto finish

:no_program
echo collect-report: hotfixes.exe is not beside this script: "%PROGRAM%">&2
set CODE=4
goto finish

:cannot_write
if not exist "%FOLDER%\*" goto no_such_folder
echo collect-report: cannot write "%TEMPORARY%">&2
set CODE=5
goto finish

:no_such_folder
echo collect-report: folder not found: "%FOLDER%">&2
set CODE=3
goto finish

:cannot_rename
echo collect-report: cannot rename "%TEMPORARY%" to "%REPORT_NAME%">&2
set CODE=6
goto finish

rem The caller sees the ERRORLEVEL the script ends with. EXIT takes an exit
rem code from Windows 2000 on, and a child cmd.exe hands it over. Where the
rem child falls short of it (NT 4.0's EXIT takes none), the code is made with
rem what NT 4.0 documents instead: SET of a name that is not defined gives 1,
rem XCOPY without arguments 4 (its code for a wrong command line), which then
rem stands for every code from 2 on.
:finish
"%COMSPEC%" /c exit %CODE%
if errorlevel %CODE% goto :EOF
set COLLECT_REPORT_UNDEFINED=
if %CODE%==1 set COLLECT_REPORT_UNDEFINED >nul 2>nul
if not %CODE%==1 "%SystemRoot%\system32\xcopy.exe" >nul 2>nul
