// Drives a running program's windows from outside, the way a user's desktop would: the install
// test starts the installed editor as its own process, so nothing inside it can be reached.
//   xwindow close TITLE       asks the window to close (WM_DELETE_WINDOW, as a close box does)
//   xwindow key TITLE KEYSYM  types one key into the window
//   xwindow icon TITLE        prints the sizes of the window's icon, fails when it has none
// Each waits up to 20 s for a shown top-level window with exactly that title; with XWINDOW_PID
// set, only one of that process (other programs on the same display may show the same title).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

std::string windowTitle(Display* dpy, Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(dpy, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return title;
}

unsigned long g_pid = 0; // 0: any process

bool ofProcess(Display* dpy, Window w) {
    if (!g_pid)
        return true;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool match = false;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data) == Success &&
        data) {
        match = count == 1 && *reinterpret_cast<const unsigned long*>(data) == g_pid;
        XFree(data);
    }
    return match;
}

// Windows of other programs come and go while the tree is walked; a vanished one is skipped.
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// A desktop's window manager puts each top-level window into a frame of its own, so the search
// goes down the tree; under a bare X server the windows are children of the root.
Window findIn(Display* dpy, Window parentWindow, const std::string& title, int depth) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    Window found = None;
    if (!XQueryTree(dpy, parentWindow, &root, &parent, &children, &n))
        return None;
    for (unsigned int i = 0; i < n && found == None; ++i) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable)
            continue;
        if (windowTitle(dpy, children[i]) == title && ofProcess(dpy, children[i]))
            found = children[i];
        else if (depth > 0)
            found = findIn(dpy, children[i], title, depth - 1);
    }
    XFree(children);
    return found;
}

Window findWindow(Display* dpy, const std::string& title) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (const Window w = findIn(dpy, DefaultRootWindow(dpy), title, 2); w != None)
            return w;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return None;
}

void sendClose(Display* dpy, Window w) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, w, False, NoEventMask, &e);
}

// A key the keyboard layout lacks (a Cyrillic letter on a Latin layout) is put on a spare
// keycode first, as a second layout would have it.
KeyCode keycodeFor(Display* dpy, KeySym sym) {
    if (const KeyCode code = XKeysymToKeycode(dpy, sym))
        return code;
    int minCode = 0, maxCode = 0, perCode = 0;
    XDisplayKeycodes(dpy, &minCode, &maxCode);
    KeySym* map = XGetKeyboardMapping(dpy, KeyCode(minCode), maxCode - minCode + 1, &perCode);
    KeyCode spare = 0;
    for (int code = maxCode; code >= minCode && !spare; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && map[(code - minCode) * perCode + i] == NoSymbol;
        if (empty)
            spare = KeyCode(code);
    }
    XFree(map);
    if (!spare)
        return 0;
    KeySym syms[2] = {sym, sym};
    XChangeKeyboardMapping(dpy, spare, 2, syms, 1);
    XSync(dpy, False);
    // Let the program take in the new mapping before the key arrives.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return spare;
}

bool sendKey(Display* dpy, Window w, const char* name) {
    const KeySym sym = XStringToKeysym(name);
    if (sym == NoSymbol)
        return false;
    const KeyCode code = keycodeFor(dpy, sym);
    if (!code)
        return false;
    XEvent e{};
    e.xkey.display = dpy;
    e.xkey.window = w;
    e.xkey.root = DefaultRootWindow(dpy);
    e.xkey.time = CurrentTime;
    e.xkey.same_screen = True;
    e.xkey.keycode = code;
    e.xkey.type = KeyPress;
    XSendEvent(dpy, w, True, KeyPressMask, &e);
    e.xkey.type = KeyRelease;
    XSendEvent(dpy, w, True, KeyReleaseMask, &e);
    return true;
}

// _NET_WM_ICON holds width, height and the pixels of each size in turn.
int printIconSizes(Display* dpy, Window w) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_ICON", False), 0, 1 << 24, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success ||
        !data || count < 2) {
        std::fprintf(stderr, "xwindow: the window has no icon\n");
        return 1;
    }
    const auto* v = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i + 1 < count && v[i] > 0;) {
        std::printf("%lux%lu\n", v[i], v[i + 1]);
        i += 2 + v[i] * v[i + 1];
    }
    XFree(data);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "key") == 0 && argc < 4)) {
        std::fprintf(stderr, "usage: xwindow close|icon TITLE | xwindow key TITLE KEYSYM\n");
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "xwindow: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    if (const char* pid = std::getenv("XWINDOW_PID"))
        g_pid = std::strtoul(pid, nullptr, 10);
    const std::string command = argv[1];
    int rc = 0;
    const Window w = findWindow(dpy, argv[2]);
    if (w == None) {
        std::fprintf(stderr, "xwindow: no shown window titled \"%s\"\n", argv[2]);
        rc = 1;
    } else if (command == "close") {
        sendClose(dpy, w);
    } else if (command == "key") {
        if (!sendKey(dpy, w, argv[3])) {
            std::fprintf(stderr, "xwindow: unknown key \"%s\"\n", argv[3]);
            rc = 2;
        }
    } else if (command == "icon") {
        rc = printIconSizes(dpy, w);
    } else {
        std::fprintf(stderr, "xwindow: unknown command \"%s\"\n", argv[1]);
        rc = 2;
    }
    XCloseDisplay(dpy);
    return rc;
}
