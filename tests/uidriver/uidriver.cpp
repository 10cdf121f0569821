// Steps that a user would take, run against the setup windows from another
// process: uidriver STEP ARGS [-- STEP ARGS]... Each step acts through the
// messages or input that a person's mouse and keyboard produce. The first
// failing step prints "step N (<step>): <reason>" to stderr and ends the run
// with status 1. Waits take an optional limit in ms (default 10000).
//
//   wait-background [ms]            wait-page|wait-gone <page> [ms]
//   wait-msgbox <caption> [ms]      text <id>   list <id>   progress
//   expect-text <id> <text>         wait-text <id> <text> [ms]
//   click <id>   type <id> <text>   select|dblclick <id> <entry>
//   key enter|esc   click-background   expect-focus <page>
//   pixel <x> <y>   rect background|<page>   maximised   sleep <ms>
//   close-background   hold <path> <ms> [read]   hang <ms>
//   profile <section> <key>         prints the win.ini value (profile API)
//
// Faults: close-background posts WM_CLOSE to the background window (the
// taskbar's Close); hold keeps a file open without sharing (with "read": others
// may read it) for ms; hang
// shows a top-level window that handles no message for ms.
//
// Pages: welcome, directory, group, progress, wait. The expected texts know
// the escapes \n and \\ (so write C:\\new for C:\new). Without a wait-page
// or wait-msgbox, steps act on the dialog that the background window owns.
// click and key are posted: follow them with a wait.
#include <windows.h>
#include <commctrl.h>
#include <fcntl.h>
#include <io.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "../../res/resource.h"

enum { DefaultWaitMs = 10000, PollMs = 50, SendTimeoutMs = 5000, TextSize = 4096, ReenableWaitMs = 2000 };

static const char BackgroundClass[] = "Setup_KEL_window";
static HWND Target;             // the page or message box of the later steps
static bool TargetChosen;       // set by wait-page or wait-msgbox
static char Reason[TextSize];   // why the current step failed

static bool Fail(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    vsnprintf(Reason, sizeof Reason, format, args);
    va_end(args);
    return false;
}

// Cross-process calls with a time limit, so a hung target cannot hang us.
static LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, SendTimeoutMs, &result);
    return (LRESULT)result;
}

static void ControlText(HWND control, char *text, size_t capacity)
{
    text[0] = 0;
    DWORD_PTR copied = 0;
    if (SendMessageTimeoutA(control, WM_GETTEXT, capacity, (LPARAM)text, SMTO_NORMAL,
                            SendTimeoutMs, &copied))
        text[copied < capacity ? copied : capacity - 1] = 0;
}

static bool IsClass(HWND window, const char *name)
{
    char className[64];
    if (!GetClassNameA(window, className, sizeof className)) return false;
    return lstrcmpiA(className, name) == 0;
}

// Waits with a time limit until check() is true.
template <class Check> static bool Poll(int ms, Check check)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (check()) return true;
        if ((int)(GetTickCount() - start) >= ms) return false;
        Sleep(PollMs);
    }
}

// ----- finding the windows -----

struct Search {
    const char *className;
    const char *caption;  // null: any
    HWND owner;           // null: any
    const char *page;     // null: any
    HWND found;
};

static HWND Background()
{
    HWND window = FindWindowA(BackgroundClass, 0);
    return window && IsWindowVisible(window) ? window : 0;
}

// The kind of page a dialog is, recognised by its controls.
static const char *PageKind(HWND dialog)
{
    bool hasNext = GetDlgItem(dialog, IdNext) != 0;
    HWND text = GetDlgItem(dialog, IdMainText);
    if (GetDlgItem(dialog, IdProgressBar)) return "progress";
    if (!hasNext && !text) {
        // A message box always has a button (IDOK to IDCONTINUE); the wait dialog none.
        for (int id = IDCANCEL; id <= IDCONTINUE; id++)
            if (GetDlgItem(dialog, id)) return "";
        return "wait";
    }
    if (GetDlgItem(dialog, IdAvailableSpace)) return "directory";
    if (GetDlgItem(dialog, IdList)) return "group";
    if (hasNext && text && IsClass(text, "Static")) return "welcome";
    return "";
}

static BOOL CALLBACK SearchWindow(HWND window, LPARAM parameter)
{
    Search *search = (Search *)parameter;
    if (!IsWindowVisible(window) || !IsClass(window, search->className)) return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner) return TRUE;
    if (search->caption) {
        char caption[TextSize];
        GetWindowTextA(window, caption, sizeof caption);
        if (strcmp(caption, search->caption) != 0) return TRUE;
    }
    if (search->page && strcmp(PageKind(window), search->page) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

static HWND FindPage(const char *page)
{
    HWND background = Background();
    if (!background) return 0;
    Search search = {"#32770", 0, background, page, 0};
    EnumWindows(SearchWindow, (LPARAM)&search);
    return search.found;
}

static HWND FindMessageBox(const char *caption)
{
    Search search = {"#32770", caption, 0, 0, 0};
    EnumWindows(SearchWindow, (LPARAM)&search);
    return search.found;
}

static bool KnownPage(const char *page)
{
    static const char *const pages[] = {"welcome", "directory", "group", "progress", "wait"};
    for (const char *known : pages)
        if (strcmp(page, known) == 0) return true;
    return false;
}

// ----- arguments -----

static bool ParseNumber(const char *text, long *value)
{
    char *end;
    *value = strtol(text, &end, 0);
    return *text && !*end;
}

// The optional time limit of a wait, the argument at index.
static bool WaitMs(int count, char **args, int index, int *ms)
{
    *ms = DefaultWaitMs;
    if (count <= index) return true;
    long value;
    if (!ParseNumber(args[index], &value) || value < 0) return Fail("bad time limit '%s'", args[index]);
    *ms = (int)value;
    return true;
}

// \n and \\ in an expected text.
static void Unescape(const char *text, char *out, size_t capacity)
{
    size_t length = 0;
    for (; *text && length + 1 < capacity; text++) {
        if (text[0] == '\\' && text[1] == 'n') {
            out[length++] = '\n';
            text++;
        } else if (text[0] == '\\' && text[1] == '\\') {
            out[length++] = '\\';
            text++;
        } else {
            out[length++] = *text;
        }
    }
    out[length] = 0;
}

// Without a wait-page or wait-msgbox in this run, the target is the dialog
// that the background window owns now. A chosen target that has gone is
// never swapped for whatever window came next.
static bool NeedTarget()
{
    if (TargetChosen && !IsWindow(Target)) return Fail("the page or message box waited for has gone");
    if (!Target || !IsWindow(Target)) Target = FindPage(0);
    if (!Target) return Fail("no page or message box on screen");
    return true;
}

static bool Control(const char *idText, HWND *control)
{
    long id;
    if (!ParseNumber(idText, &id)) return Fail("bad control id '%s'", idText);
    if (!NeedTarget()) return false;
    *control = GetDlgItem(Target, (int)id);
    if (!*control) return Fail("no control %ld", id);
    return true;
}

// ----- input -----

static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

// The keyboard focus, and the active window, of the thread that owns the window.
static HWND FocusOf(HWND window, HWND *active = 0)
{
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (active) *active = 0;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, 0), &info)) return 0;
    if (active) *active = info.hwndActive;
    return info.hwndFocus;
}

// A list entry's text. Asked for in UTF-16: Wine passes an ANSI LB_GETTEXT
// from another process through without converting it.
static bool EntryText(HWND list, int index, char *text, size_t capacity)
{
    WCHAR wide[TextSize];
    text[0] = 0;
    int length = (int)Send(list, LB_GETTEXTLEN, index, 0);
    if (length < 0 || length >= TextSize) return false;
    DWORD_PTR copied = 0;
    wide[0] = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, index, (LPARAM)wide, SMTO_NORMAL, SendTimeoutMs, &copied))
        return false;
    wide[length] = 0;
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, (int)capacity, 0, 0);
    text[capacity - 1] = 0;
    return true;
}

static bool FindEntry(HWND list, const char *entry, int *index)
{
    int count = (int)Send(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char text[TextSize];
        if (EntryText(list, i, text, sizeof text) && strcmp(text, entry) == 0) {
            *index = i;
            return true;
        }
    }
    return Fail("no list entry '%s' among %d", entry, count);
}

// The centre of a list entry in the list's client coordinates, scrolled into
// view first as a user would.
static bool EntryPoint(HWND list, int index, int *x, int *y)
{
    RECT client, item;
    GetClientRect(list, &client);
    int height = (int)Send(list, LB_GETITEMHEIGHT, 0, 0);
    if (height <= 0) height = 1;
    int top = (int)Send(list, LB_GETTOPINDEX, 0, 0);
    int visible = (client.bottom - client.top) / height;
    if (visible < 1) visible = 1;
    if (index < top || index >= top + visible) Send(list, LB_SETTOPINDEX, index, 0);
    if (Send(list, LB_GETITEMRECT, index, (LPARAM)&item) == LB_ERR || item.bottom <= item.top) {
        top = (int)Send(list, LB_GETTOPINDEX, 0, 0);
        item.left = 0;
        item.right = client.right;
        item.top = (index - top) * height;
        item.bottom = item.top + height;
    }
    *x = (item.left + item.right) / 2;
    *y = (item.top + item.bottom) / 2;
    if (*y < 0 || *y >= client.bottom) return Fail("list entry %d not in view", index);
    return true;
}

static bool Usable(HWND control)
{
    if (!IsWindowVisible(control)) return Fail("control is hidden");
    if (!IsWindowEnabled(control)) return Fail("control is disabled");
    // A window that a modal one has disabled takes no clicks or keys. One
    // whose message box was just clicked away is enabled again a moment
    // later, when the box has ended: wait that moment out.
    HWND root = GetAncestor(control, GA_ROOT);
    for (int waited = 0; !IsWindowEnabled(root) && waited < ReenableWaitMs; waited += PollMs)
        Sleep(PollMs);
    if (!IsWindowEnabled(root)) return Fail("its window is disabled");
    return true;
}

// ----- the steps -----

static bool StepWaitBackground(int count, char **args)
{
    int ms;
    if (!WaitMs(count, args, 1, &ms)) return false;
    if (!Poll(ms, [] { return Background() != 0; }))
        return Fail("no visible %s window after %d ms", BackgroundClass, ms);
    return true;
}

static bool StepWaitPage(int count, char **args, bool gone)
{
    if (count < 2 || !KnownPage(args[1])) return Fail("needs a page: welcome, directory, group, progress or wait");
    int ms;
    if (!WaitMs(count, args, 2, &ms)) return false;
    const char *page = args[1];
    if (gone) {
        if (!Poll(ms, [page] { return FindPage(page) == 0; }))
            return Fail("the %s page is still there after %d ms", page, ms);
        return true;
    }
    HWND found = 0;
    if (!Poll(ms, [page, &found] { return (found = FindPage(page)) != 0; }))
        return Fail("no %s page after %d ms", page, ms);
    Target = found;
    TargetChosen = true;
    return true;
}

static bool StepWaitMessageBox(int count, char **args)
{
    if (count < 2) return Fail("needs a caption");
    int ms;
    if (!WaitMs(count, args, 2, &ms)) return false;
    const char *caption = args[1];
    HWND found = 0;
    if (!Poll(ms, [caption, &found] { return (found = FindMessageBox(caption)) != 0; }))
        return Fail("no message box '%s' after %d ms", caption, ms);
    Target = found;
    TargetChosen = true;
    return true;
}

static bool StepText(int count, char **args)
{
    HWND control;
    if (count != 2) return Fail("needs a control id");
    if (!Control(args[1], &control)) return false;
    char text[TextSize];
    ControlText(control, text, sizeof text);
    printf("%s\n", text);
    return true;
}

static bool StepExpectText(int count, char **args, bool wait)
{
    HWND control;
    if (count < 3 || (!wait && count != 3)) return Fail("needs a control id and a text");
    int ms = 0;
    if (wait && !WaitMs(count, args, 3, &ms)) return false;
    if (!Control(args[1], &control)) return false;
    char expected[TextSize], actual[TextSize];
    Unescape(args[2], expected, sizeof expected);
    bool same = Poll(ms, [&] {
        ControlText(control, actual, sizeof actual);
        return strcmp(expected, actual) == 0;
    });
    if (!same) return Fail("control %s has [%s], expected [%s]", args[1], actual, expected);
    return true;
}

static bool StepList(int count, char **args)
{
    HWND list;
    if (count != 2) return Fail("needs a control id");
    if (!Control(args[1], &list)) return false;
    int entries = (int)Send(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < entries; i++) {
        char text[TextSize];
        EntryText(list, i, text, sizeof text);
        printf("%s\n", text);
    }
    return true;
}

static bool StepProgress(int count, char **args)
{
    if (count != 1) return Fail("takes no arguments");
    if (!NeedTarget()) return false;
    HWND bar = GetDlgItem(Target, 12);
    if (!bar) return Fail("no control 12");
    printf("%ld %ld %ld\n", (long)Send(bar, PBM_GETPOS, 0, 0), (long)Send(bar, PBM_GETRANGE, TRUE, 0),
           (long)Send(bar, PBM_GETRANGE, FALSE, 0));
    return true;
}

static bool StepClick(int count, char **args)
{
    HWND button;
    if (count != 2) return Fail("needs a control id");
    if (!Control(args[1], &button) || !Usable(button)) return false;
    // Posted, so a page that does long work after the click does not hold us.
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

static bool StepType(int count, char **args)
{
    HWND edit;
    if (count != 3) return Fail("needs a control id and a text");
    if (!Control(args[1], &edit) || !Usable(edit)) return false;
    // Click into the box, select all, then type over the selection.
    Send(edit, WM_LBUTTONDOWN, MK_LBUTTON, Point(2, 2));
    Send(edit, WM_LBUTTONUP, 0, Point(2, 2));
    Send(edit, EM_SETSEL, 0, -1);
    const char *text = args[2];
    if (!*text) Send(edit, WM_CHAR, VK_BACK, 1);
    for (; *text; text++) Send(edit, WM_CHAR, (unsigned char)*text, 1);
    return true;
}

// Mouse messages at a list entry, as the list box gets them from a person.
static bool ClickEntry(int count, char **args, bool twice)
{
    HWND list;
    if (count != 3) return Fail("needs a control id and an entry");
    if (!Control(args[1], &list) || !Usable(list)) return false;
    int index, x, y;
    if (!FindEntry(list, args[2], &index) || !EntryPoint(list, index, &x, &y)) return false;
    LPARAM at = Point(x, y);
    Send(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Send(list, WM_LBUTTONUP, 0, at);
    if (twice) {
        // Posted: the double-click notification may start long work.
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
    return true;
}

static bool StepKey(int count, char **args)
{
    if (count != 2) return Fail("needs enter or esc");
    UINT key;
    if (strcmp(args[1], "enter") == 0)
        key = VK_RETURN;
    else if (strcmp(args[1], "esc") == 0)
        key = VK_ESCAPE;
    else
        return Fail("unknown key '%s'", args[1]);
    if (!NeedTarget()) return false;
    HWND active;
    HWND focus = FocusOf(Target, &active);
    UINT scan = MapVirtualKeyA(key, 0);
    if (!focus) {
        // With no focus the system hands keys to the active window as system
        // keys, which the dialog manager does not turn into commands.
        if (!active) return Fail("no window is active");
        PostMessageA(active, WM_SYSKEYDOWN, key, 1 | (scan << 16));
        PostMessageA(active, WM_SYSKEYUP, key, 1 | (scan << 16) | (3u << 30));
        return true;
    }
    PostMessageA(focus, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(focus, WM_KEYUP, key, 1 | (scan << 16) | (3u << 30));
    return true;
}

static bool StepClickBackground(int count, char **args)
{
    if (count != 1) return Fail("takes no arguments");
    HWND background = Background();
    if (!background) return Fail("no background window");
    RECT client;
    GetClientRect(background, &client);
    POINT at = {client.left + 20, client.bottom - 20};
    ClientToScreen(background, &at);
    if (WindowFromPoint(at) != background) return Fail("point %ld,%ld is not on the background window", at.x, at.y);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Move first and wait until the cursor is there: a button event carries
    // no position of its own and happens wherever the cursor then is.
    DWORD actions[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (DWORD action : actions) {
        INPUT input;
        memset(&input, 0, sizeof input);
        input.type = INPUT_MOUSE;
        input.mi.dx = (at.x * 65535 + (width - 1) / 2) / (width - 1);
        input.mi.dy = (at.y * 65535 + (height - 1) / 2) / (height - 1);
        input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | action;
        if (SendInput(1, &input, sizeof input) != 1) return Fail("SendInput failed (%lu)", GetLastError());
        if (action == 0 && !Poll(2000, [at] {
                POINT cursor;
                return GetCursorPos(&cursor) && cursor.x == at.x && cursor.y == at.y;
            }))
            return Fail("the cursor did not move to %ld,%ld", at.x, at.y);
        Sleep(50);
    }
    Sleep(300);  // let the target take the click
    return true;
}

static bool StepExpectFocus(int count, char **args)
{
    if (count != 2 || !KnownPage(args[1])) return Fail("needs a page");
    const char *page = args[1];
    HWND focus = 0, dialog = 0;
    bool focused = Poll(2000, [&] {
        dialog = FindPage(page);
        if (!dialog) return false;
        focus = FocusOf(dialog);
        return focus && (focus == dialog || IsChild(dialog, focus));
    });
    if (!dialog) return Fail("no %s page", page);
    if (!focused) {
        char className[64] = "";
        if (focus) GetClassNameA(focus, className, sizeof className);
        return Fail("the focus is on %p (class %s, id %d), not on the %s page", (void *)focus,
                    className, focus ? GetDlgCtrlID(focus) : 0, page);
    }
    return true;
}

static bool StepPixel(int count, char **args)
{
    long x, y;
    if (count != 3 || !ParseNumber(args[1], &x) || !ParseNumber(args[2], &y)) return Fail("needs x and y");
    HDC screen = GetDC(0);
    COLORREF colour = GetPixel(screen, (int)x, (int)y);
    ReleaseDC(0, screen);
    if (colour == CLR_INVALID) return Fail("no pixel at %ld,%ld", x, y);
    printf("%d %d %d\n", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return true;
}

// Extra steps: "rect background|<page>" prints "left top right bottom" of the
// window on the screen, "maximised" checks that the background is maximised.
static bool StepRect(int count, char **args)
{
    if (count != 2) return Fail("needs background or a page");
    HWND window = strcmp(args[1], "background") == 0 ? Background() : KnownPage(args[1]) ? FindPage(args[1]) : 0;
    if (!window) return Fail("no window '%s'", args[1]);
    RECT rect;
    GetWindowRect(window, &rect);
    printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return true;
}

static bool StepMaximised(int count, char **args)
{
    if (count != 1) return Fail("takes no arguments");
    HWND background = Background();
    if (!background) return Fail("no background window");
    if (!IsZoomed(background)) return Fail("the background window is not maximised");
    return true;
}

static bool StepSleep(int count, char **args)
{
    long ms;
    if (count != 2 || !ParseNumber(args[1], &ms) || ms < 0) return Fail("needs a time in ms");
    Sleep((DWORD)ms);
    return true;
}

// The value the profile functions read from win.ini, which Wine may keep in
// the registry rather than in the file; "(none)" when the key is missing.
static bool StepProfile(int count, char **args)
{
    if (count != 3) return Fail("needs a section and a key");
    char value[512];
    const char missing[] = "\x01";
    GetProfileStringA(args[1], args[2], missing, value, sizeof value);
    printf("%s\n", strcmp(value, missing) == 0 ? "(none)" : value);
    return true;
}

static bool StepCloseBackground(int count, char **args)
{
    if (count != 1) return Fail("takes no arguments");
    HWND background = Background();
    if (!background) return Fail("no background window");
    if (!PostMessageA(background, WM_CLOSE, 0, 0)) return Fail("PostMessage failed (%lu)", GetLastError());
    return true;
}

static bool StepHold(int count, char **args)
{
    long ms;
    if ((count != 3 && count != 4) || !ParseNumber(args[2], &ms) || ms < 0)
        return Fail("needs a path and a time in ms");
    // "read": others may read it, but not delete or write it.
    DWORD share = count == 4 && strcmp(args[3], "read") == 0 ? FILE_SHARE_READ : 0;
    HANDLE file = CreateFileA(args[1], GENERIC_READ, share, 0, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return Fail("cannot open %s (%lu)", args[1], GetLastError());
    printf("held\n");
    fflush(stdout);
    Sleep((DWORD)ms);
    CloseHandle(file);
    return true;
}

static bool StepHang(int count, char **args)
{
    long ms;
    if (count != 2 || !ParseNumber(args[1], &ms) || ms < 0) return Fail("needs a time in ms");
    HWND window = CreateWindowExA(0, "STATIC", "hung", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, 0, 0,
                                  GetModuleHandleA(0), 0);
    if (!window) return Fail("no window (%lu)", GetLastError());
    printf("hung\n");
    fflush(stdout);
    Sleep((DWORD)ms);  // no message is handled meanwhile
    DestroyWindow(window);
    return true;
}

static bool RunStep(int count, char **args)
{
    const char *name = args[0];
    if (strcmp(name, "wait-background") == 0) return StepWaitBackground(count, args);
    if (strcmp(name, "wait-page") == 0) return StepWaitPage(count, args, false);
    if (strcmp(name, "wait-gone") == 0) return StepWaitPage(count, args, true);
    if (strcmp(name, "wait-msgbox") == 0) return StepWaitMessageBox(count, args);
    if (strcmp(name, "text") == 0) return StepText(count, args);
    if (strcmp(name, "expect-text") == 0) return StepExpectText(count, args, false);
    if (strcmp(name, "wait-text") == 0) return StepExpectText(count, args, true);
    if (strcmp(name, "list") == 0) return StepList(count, args);
    if (strcmp(name, "progress") == 0) return StepProgress(count, args);
    if (strcmp(name, "click") == 0) return StepClick(count, args);
    if (strcmp(name, "type") == 0) return StepType(count, args);
    if (strcmp(name, "select") == 0) return ClickEntry(count, args, false);
    if (strcmp(name, "dblclick") == 0) return ClickEntry(count, args, true);
    if (strcmp(name, "key") == 0) return StepKey(count, args);
    if (strcmp(name, "click-background") == 0) return StepClickBackground(count, args);
    if (strcmp(name, "expect-focus") == 0) return StepExpectFocus(count, args);
    if (strcmp(name, "pixel") == 0) return StepPixel(count, args);
    if (strcmp(name, "rect") == 0) return StepRect(count, args);
    if (strcmp(name, "maximised") == 0) return StepMaximised(count, args);
    if (strcmp(name, "sleep") == 0) return StepSleep(count, args);
    if (strcmp(name, "close-background") == 0) return StepCloseBackground(count, args);
    if (strcmp(name, "profile") == 0) return StepProfile(count, args);
    if (strcmp(name, "hold") == 0) return StepHold(count, args);
    if (strcmp(name, "hang") == 0) return StepHang(count, args);
    return Fail("unknown step");
}

int main(int argc, char **argv)
{
    // Texts are printed byte for byte, without CR before LF.
    _setmode(_fileno(stdout), _O_BINARY);
    int step = 0;
    for (int first = 1; first < argc;) {
        int last = first;
        while (last < argc && strcmp(argv[last], "--") != 0) last++;
        if (last > first) {
            step++;
            Reason[0] = 0;
            if (!RunStep(last - first, argv + first)) {
                fflush(stdout);
                fprintf(stderr, "step %d (", step);
                for (int i = first; i < last; i++) fprintf(stderr, i > first ? " %s" : "%s", argv[i]);
                fprintf(stderr, "): %s\n", Reason);
                return 1;
            }
            fflush(stdout);
        }
        first = last + 1;
    }
    return 0;
}
