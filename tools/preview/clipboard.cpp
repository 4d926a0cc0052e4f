#include "clipboard.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

Clipboard::~Clipboard() {
    if (!display_) return;
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

bool Clipboard::connect() {
    if (display_ || tried_) return display_ != nullptr;
    tried_ = true;
    display_ = XOpenDisplay(nullptr);
    if (!display_) return false;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
    utf8_ = XInternAtom(display_, "UTF8_STRING", False);
    targets_ = XInternAtom(display_, "TARGETS", False);
    text_ = XInternAtom(display_, "TEXT", False);
    return true;
}

bool Clipboard::offer(const std::string& text) {
    if (!connect()) return false;
    offered_ = text;
    XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
    XSetSelectionOwner(display_, XA_PRIMARY, window_, CurrentTime);
    XFlush(display_);
    return XGetSelectionOwner(display_, clipboard_) == window_;
}

void Clipboard::serve() {
    if (!display_) return;
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        XSelectionEvent reply = {};
        reply.type = SelectionNotify;
        reply.display = request.display;
        reply.requestor = request.requestor;
        reply.selection = request.selection;
        reply.target = request.target;
        reply.time = request.time;
        // Old clients name no property: the target is the property then.
        reply.property = request.property != None ? request.property : request.target;
        if (request.target == targets_) {
            const Atom offered[] = {targets_, utf8_, XA_STRING, text_};
            XChangeProperty(display_, request.requestor, reply.property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 4);
        } else if (request.target == utf8_ || request.target == XA_STRING || request.target == text_) {
            // The text is plain ASCII: times and sync lines.
            XChangeProperty(display_, request.requestor, reply.property,
                            request.target == text_ ? utf8_ : request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered_.data()), int(offered_.size()));
        } else {
            reply.property = None;
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
    }
    XFlush(display_);
}
