#include "whole_file.h"

#include <windows.h>
#include <stdlib.h>

char *ReadWholeFile(const char *path, size_t limit, size_t *length)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD size = GetFileSize(file, 0), got = 0;
    char *text = 0;
    if (size != INVALID_FILE_SIZE && size <= limit) {
        text = (char *)malloc(size + 1);
        if (text && (!ReadFile(file, text, size, &got, 0) || got != size)) {
            free(text);
            text = 0;
        }
    }
    CloseHandle(file);
    if (!text) return 0;
    text[size] = 0;
    *length = size;
    return text;
}
