# Writes a UTF-8 text file the way Notepad and cmd.exe on a Japanese Windows read
# text: Shift-JIS (code page 932) with CR LF line ends.
#   cmake -DIN=<UTF-8 file> -DOUT=<file to write> -P Cp932Text.cmake
# A character that Shift-JIS cannot hold stops the build, so a shipped file never
# carries a "?" in its place. iconv does the conversion where there is one (Linux,
# macOS, Git for Windows); elsewhere PowerShell does.
if(NOT IN OR NOT OUT)
  message(FATAL_ERROR "usage: cmake -DIN=<UTF-8 file> -DOUT=<file> -P Cp932Text.cmake")
endif()

file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
set(crlf "${OUT}.crlf")
set(partial "${OUT}.part")
file(WRITE "${crlf}" "${text}")

find_program(KIRRAMO_ICONV iconv)
find_program(KIRRAMO_POWERSHELL NAMES powershell pwsh)
if(KIRRAMO_ICONV)
  execute_process(COMMAND "${KIRRAMO_ICONV}" -f UTF-8 -t CP932 "${crlf}"
    OUTPUT_FILE "${partial}" RESULT_VARIABLE status ERROR_VARIABLE problem)
elseif(KIRRAMO_POWERSHELL)
  set(ENV{KIRRAMO_TEXT_IN} "${crlf}")
  set(ENV{KIRRAMO_TEXT_OUT} "${partial}")
  execute_process(COMMAND "${KIRRAMO_POWERSHELL}" -NoProfile -NonInteractive -Command
    "$ErrorActionPreference = 'Stop'; $sjis = [Text.Encoding]::GetEncoding(932, [Text.EncoderFallback]::ExceptionFallback, [Text.DecoderFallback]::ExceptionFallback); [IO.File]::WriteAllBytes($env:KIRRAMO_TEXT_OUT, $sjis.GetBytes([IO.File]::ReadAllText($env:KIRRAMO_TEXT_IN, [Text.Encoding]::UTF8)))"
    RESULT_VARIABLE status ERROR_VARIABLE problem)
else()
  file(REMOVE "${crlf}")
  message(FATAL_ERROR "Neither iconv nor PowerShell is there to write ${OUT} in Shift-JIS")
endif()

file(REMOVE "${crlf}")
if(NOT status EQUAL 0)
  file(REMOVE "${partial}")
  message(FATAL_ERROR "${IN} cannot be written in Shift-JIS (code page 932): ${problem}")
endif()
file(RENAME "${partial}" "${OUT}")
