#include "names.h"

#include <string.h>

#include "text.h"

// Whether [name, name + size) is word, in any case.
static bool NameIs(const char *name, size_t size, const char *word)
{
    return strlen(word) == size && SameFoldedRange(name, word, size);
}

bool IsDeviceNameRange(const char *name, size_t size)
{
    const char *dot = (const char *)memchr(name, '.', size);
    size_t stem = dot ? (size_t)(dot - name) : size;
    while (stem > 0 && name[stem - 1] == ' ') --stem;
    static const char *const plain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (size_t i = 0; i < sizeof plain / sizeof plain[0]; ++i)
        if (NameIs(name, stem, plain[i])) return true;
    // COM and LPT with one digit, the superscript digits of the ANSI code
    // page included.
    if (stem != 4 || !(NameIs(name, 3, "COM") || NameIs(name, 3, "LPT"))) return false;
    unsigned char digit = (unsigned char)name[3];
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

bool IsDeviceName(const char *name) { return IsDeviceNameRange(name, strlen(name)); }

// The end of the component that starts at component.
static const char *ComponentEnd(const char *component)
{
    while (*component && *component != '\\' && *component != '/') component = NextChar(component);
    return component;
}

bool HasDeviceComponent(const char *name)
{
    for (const char *component = name;; ++component) {
        const char *end = ComponentEnd(component);
        if (IsDeviceNameRange(component, (size_t)(end - component))) return true;
        if (!*end) return false;
        component = end;
    }
}

bool IsContainedName(const char *name)
{
    if (!name[0] || name[0] == '\\' || name[0] == '/') return false;
    if (strchr(name, ':')) return false;
    const char *component = name;
    for (;;) {
        // Trailing dots and blanks are dropped from a component when a path
        // is opened, so ". ." and "..." reach the parent as ".." does.
        size_t dots = 0;
        bool onlyDots = true;
        const char *end = ComponentEnd(component), *p = component;
        for (; p < end; ++p) {
            if (*p == '.')
                ++dots;
            else if (*p != ' ')
                onlyDots = false;
        }
        if (onlyDots && dots >= 2) return false;
        if (IsDeviceNameRange(component, (size_t)(p - component))) return false;
        if (!*p) return true;
        component = p + 1;
    }
}
