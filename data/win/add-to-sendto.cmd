@echo off
chcp 932 >nul
rem Kirramo を、このユーザーの「送る」メニューに追加します（管理者の権限はいりません）。
rem 同じフォルダの kirramo.exe を指すショートカット Kirramo.lnk を SendTo フォルダに
rem 作ります。前からあれば、今の場所の kirramo.exe を指すように作り直します。
rem パスは環境変数で PowerShell に渡すので、どんな文字のフォルダ名でも崩れません。
rem このファイルは Shift-JIS（コード ページ 932）、改行は CR LF で保存されています。
setlocal
set "KIRRAMO_EXE=%~dp0kirramo.exe"
set "KIRRAMO_DIR=%~dp0"
set "POWERSHELL=%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe"
set status=1
if not exist "%KIRRAMO_EXE%" goto no_exe
if not exist "%POWERSHELL%" goto no_powershell
"%POWERSHELL%" -NoProfile -ExecutionPolicy Bypass -Command "$ErrorActionPreference = 'Stop'; try { $shell = New-Object -ComObject WScript.Shell; $link = $shell.CreateShortcut((Join-Path ([Environment]::GetFolderPath('SendTo')) 'Kirramo.lnk')); $link.TargetPath = $env:KIRRAMO_EXE; $link.WorkingDirectory = $env:KIRRAMO_DIR; $link.Description = '選んだファイルやフォルダのパスや名前をクリップボードにコピーします'; $link.Save() } catch { Write-Host $_.Exception.Message; exit 1 }"
if errorlevel 1 goto failed
echo 「送る」メニューに「Kirramo」を追加しました。
echo エクスプローラーでファイルやフォルダを選んで右クリックし、
echo 「送る」→「Kirramo」を選んでください。
set status=0
goto end

:no_exe
echo kirramo.exe が見つかりません。
echo zip ファイルをすべて展開してから、展開したフォルダの中の
echo add-to-sendto.cmd を実行してください。
goto end

:no_powershell
echo PowerShell が見つからないため、追加できませんでした。
echo 「how to use.txt」の「インストール」にある、スクリプトを使わない方法で
echo 追加してください。
goto end

:failed
echo 「送る」メニューに追加できませんでした。
goto end

:end
echo.
pause
exit /b %status%
