@echo off
chcp 932 >nul
rem Kirramo を、このユーザーの「送る」メニューから削除します。
rem SendTo フォルダのショートカット Kirramo.lnk を削除するだけで、kirramo.exe や
rem 設定ファイル Tolvane.ini には触れません。
rem このファイルは Shift-JIS（コード ページ 932）、改行は CR LF で保存されています。
setlocal
set "POWERSHELL=%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe"
set status=1
if not exist "%POWERSHELL%" goto no_powershell
"%POWERSHELL%" -NoProfile -ExecutionPolicy Bypass -Command "$ErrorActionPreference = 'Stop'; try { $link = Join-Path ([Environment]::GetFolderPath('SendTo')) 'Kirramo.lnk'; if (-not (Test-Path -LiteralPath $link)) { exit 2 }; Remove-Item -LiteralPath $link -Force } catch { Write-Host $_.Exception.Message; exit 1 }"
if errorlevel 2 goto absent
if errorlevel 1 goto failed
echo 「送る」メニューから「Kirramo」を削除しました。
echo Kirramo をもう使わないときは、「Kirramo」フォルダをフォルダごと削除してください。
set status=0
goto end

:absent
echo 「送る」メニューに「Kirramo」はありませんでした。
set status=0
goto end

:no_powershell
echo PowerShell が見つからないため、削除できませんでした。
echo エクスプローラーのアドレス欄に shell:sendto と入力して開くフォルダから、
echo 「Kirramo」のショートカットを削除してください。
goto end

:failed
echo 「送る」メニューから削除できませんでした。
goto end

:end
echo.
pause
exit /b %status%
