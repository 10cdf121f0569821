// The yardstick of the transfer benchmark: expands each "source<TAB>destination"
// line of a list file with the LZ library alone, and nothing else. Prints the
// number of files, the number that failed and the seconds the loop took.
#include <windows.h>
#include <lzexpand.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: bare_expand LISTFILE\n");
        return 2;
    }
    FILE *list = fopen(argv[1], "r");
    if (!list) {
        fprintf(stderr, "bare_expand: cannot open %s\n", argv[1]);
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    char line[1024];
    int files = 0, failed = 0;
    while (fgets(line, sizeof line, list)) {
        line[strcspn(line, "\r\n")] = 0;
        char *tab = strchr(line, '\t');
        if (!tab) continue;
        *tab = 0;
        OFSTRUCT sourceRecord, destinationRecord;
        INT source = LZOpenFileA(line, &sourceRecord, OF_READ);
        INT destination = LZOpenFileA(tab + 1, &destinationRecord, OF_CREATE);
        if (source < 0 || destination < 0 || LZCopy(source, destination) < 0) failed++;
        if (destination >= 0) LZClose(destination);
        if (source >= 0) LZClose(source);
        files++;
    }
    QueryPerformanceCounter(&end);
    fclose(list);
    printf("%d %d %.3f\n", files, failed,
           (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart);
    return failed ? 1 : 0;
}
