@echo off
rem Starts vinca on the sample block file beside it, in this console, which stays open at
rem the end so that the narration can be read.
cd /d "%~dp0"
vinca.exe blocks.txt
echo.
pause
