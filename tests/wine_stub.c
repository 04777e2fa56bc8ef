/* Stands in for a Windows emulator in the Wine test: records the command line that Windows gives it, then
   each argument as CommandLineToArgvW splits it, each in UTF-8 and followed by a NUL byte, to args.rec in
   its current folder (written beside and renamed, so that a reader never sees half of it). */
#include <windows.h>

#include <shellapi.h> /* after windows.h, which it needs */

static char buffer[65536];

static void put(HANDLE file, const wchar_t *text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
    DWORD written;
    if (size > 0)
        WriteFile(file, buffer, (DWORD)size, &written, NULL);
}

int main(void)
{
    const wchar_t *line = GetCommandLineW();
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(line, &count);
    HANDLE file =
        CreateFileW(L"args.rec.part", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (!arguments || file == INVALID_HANDLE_VALUE)
        return 1;
    put(file, line);
    for (int i = 0; i < count; ++i)
        put(file, arguments[i]);
    CloseHandle(file);
    return MoveFileExW(L"args.rec.part", L"args.rec", MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
