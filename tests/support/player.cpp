#include "support/player.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <thread>

#include "support/limits.h"
#include "support/showdir.h"
#include "support/xserver.h"

// A busy X server now and then refuses a connection: try again for a while.
static Display* openDisplay() {
    for (int attempt = 0; attempt < 40; attempt++) {
        if (Display* display = XOpenDisplay(nullptr)) return display;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

bool displayAvailable() {
    if (!usePrivateDisplay()) return false;
    Display* display = openDisplay();
    if (!display) return false;
    XCloseDisplay(display);
    return true;
}

bool displayRequired() {
    const char* r = std::getenv("KORVANE_REQUIRE_DISPLAY");
    return r && std::strcmp(r, "1") == 0;
}

Player::~Player() {
    if (pid_ > 0 && running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!errPath_.empty()) std::remove(errPath_.c_str());
    if (!outPath_.empty()) std::remove(outPath_.c_str());
}

bool Player::start(const std::string& dir, const std::vector<std::string>& args,
                   const std::vector<std::string>& env) {
    char errTemplate[] = "/tmp/korvane-stderr-XXXXXX";
    const int errFd = mkstemp(errTemplate);
    if (errFd < 0) return false;
    errPath_ = errTemplate;
    char outTemplate[] = "/tmp/korvane-stdout-XXXXXX";
    const int outFd = mkstemp(outTemplate);
    if (outFd < 0) {
        close(errFd);
        return false;
    }
    outPath_ = outTemplate;
    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        dup2(errFd, 2);
        dup2(outFd, 1);
        if (chdir(dir.c_str()) != 0) _exit(127);
        limitAddressSpace(memoryMb_);
        for (const std::string& e : env) {
            if (e.find('=') == std::string::npos) unsetenv(e.c_str());
            else putenv(const_cast<char*>(e.c_str()));
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary_.c_str()));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(binary_.c_str(), argv.data());
        _exit(127);
    }
    close(errFd);
    close(outFd);
    return true;
}

bool Player::running() {
    if (pid_ <= 0) return false;
    if (waitpid(pid_, &status_, WNOHANG) == 0) return true;
    pid_ = -1;  // reaped: wait() reports status_
    return false;
}

int Player::wait(double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    int& status = status_;
    while (pid_ > 0) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Searches the window tree for a window whose _NET_WM_PID is pid.
static Window findByPid(Display* display, Window root, unsigned long pid) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    if (pidAtom == None) return 0;
    Window parent, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && !found; i++) {
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                               &after, &data) == Success && data) {
            if (items == 1 && *reinterpret_cast<unsigned long*>(data) == pid) found = children[i];
            XFree(data);
        }
        if (!found) found = findByPid(display, children[i], pid);
    }
    if (children) XFree(children);
    return found;
}

// Windows come and go while SDL sets the video mode up (a GL window may be
// made anew), so errors about vanished windows are expected and ignored.
static int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

static Window mappedWindowOf(Display* display, pid_t pid) {
    Window found = findByPid(display, DefaultRootWindow(display), static_cast<unsigned long>(pid));
    XWindowAttributes attributes;
    if (found && (!XGetWindowAttributes(display, found, &attributes) || attributes.map_state != IsViewable))
        found = 0;
    return found;
}

unsigned long Player::window(double timeoutSeconds) {
    XSetErrorHandler(ignoreXErrors);
    Display* display = openDisplay();
    if (!display) return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(timeoutSeconds);
    // The window counts once it is mapped and has stayed the same for a while:
    // by then the player is in its main loop, reading events.
    Window candidate = 0;
    auto since = Clock::now();
    Window found = 0;
    while (!found && Clock::now() < deadline && running()) {
        const Window current = mappedWindowOf(display, pid_);
        if (current != candidate) {
            candidate = current;
            since = Clock::now();
        } else if (current && Clock::now() - since > std::chrono::milliseconds(400)) {
            found = current;
        }
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    XCloseDisplay(display);
    return found;
}

std::string Player::errorOutput() const { return readFile(errPath_); }

std::string Player::output() const { return readFile(outPath_); }

// Press, then release.
bool sendKey(unsigned long window, const std::string& keys) {
    const std::string target = " --window " + std::to_string(window) + " ";
    std::istringstream words(keys);
    std::string key;
    while (words >> key) {
        int attempt = 0;
        while (runCommand("xdotool keydown" + target + key + " 2>/dev/null") != 0)
            if (++attempt == 20) return false;
        // Released on the display, not the window: a key left down (its
        // window gone) would reach the next window as held.
        runCommand("xdotool keyup " + key + " 2>/dev/null");
    }
    return true;
}

bool sendCloseRequest(unsigned long window) {
    Display* display = openDisplay();
    if (!display) return false;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return sent != 0;
}

bool floodMotion(unsigned long window, int count) {
    Display* display = openDisplay();
    if (!display) return false;
    for (int i = 0; i < count; i++) {
        XEvent event;
        std::memset(&event, 0, sizeof event);
        event.xmotion.type = MotionNotify;
        event.xmotion.window = window;
        event.xmotion.root = DefaultRootWindow(display);
        event.xmotion.x = i % 300;
        event.xmotion.y = (i * 7) % 200;
        event.xmotion.same_screen = True;
        XSendEvent(display, window, False, PointerMotionMask, &event);
    }
    XFlush(display);
    XCloseDisplay(display);
    return true;
}

bool windowSize(unsigned long window, int& width, int& height) {
    Display* display = openDisplay();
    if (!display) return false;
    XWindowAttributes attributes;
    const bool ok = XGetWindowAttributes(display, window, &attributes) != 0;
    if (ok) {
        width = attributes.width;
        height = attributes.height;
    }
    XCloseDisplay(display);
    return ok;
}

std::string windowName(unsigned long window) {
    Display* display = openDisplay();
    if (!display) return "";
    char* name = nullptr;
    std::string result;
    if (XFetchName(display, window, &name) && name) {
        result = name;
        XFree(name);
    }
    XCloseDisplay(display);
    return result;
}

std::string waitForName(unsigned long window, const std::function<bool(const std::string&)>& done,
                        double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    std::string name = windowName(window);
    while (!done(name) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        name = windowName(window);
    }
    return name;
}

bool sendClick(unsigned long window, int x, int y) {
    const std::string target = " --window " + std::to_string(window) + " ";
    return runCommand("xdotool mousemove" + target + std::to_string(x) + " " + std::to_string(y) +
                      " click 1 2>/dev/null") == 0;
}

bool sendDrag(unsigned long window, int x0, int y0, int x1, int y1) {
    const std::string target = " --window " + std::to_string(window) + " ";
    std::string command = "xdotool mousemove" + target + std::to_string(x0) + " " + std::to_string(y0) + " mousedown 1";
    for (int step = 1; step <= 4; step++)
        command += " sleep 0.05 mousemove" + target + std::to_string(x0 + (x1 - x0) * step / 4) + " " +
                   std::to_string(y0 + (y1 - y0) * step / 4);
    return runCommand(command + " sleep 0.05 mouseup 1 2>/dev/null") == 0;
}

std::string clipboardText(double timeoutSeconds) {
    Display* display = openDisplay();
    if (!display) return "";
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom property = XInternAtom(display, "KORVANE_TEST_PASTE", False);
    XConvertSelection(display, XInternAtom(display, "CLIPBOARD", False), XInternAtom(display, "UTF8_STRING", False),
                      property, window, CurrentTime);
    XFlush(display);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    bool answered = false;
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        if (!XPending(display)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionNotify) continue;
        answered = true;
        if (event.xselection.property == None) break;
        Atom type;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                               &after, &data) == Success && data) {
            if (format == 8) text.assign(reinterpret_cast<const char*>(data), items);
            XFree(data);
        }
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return text;
}
