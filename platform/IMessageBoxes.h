#pragma once

#include <string>

namespace bx::platform {

enum class MsgType { Information, Warning, Error, Confirmation };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgResult { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// Modal message boxes with fixed texts. Behaviour code asks through this interface; the windows
// answer with real dialogs, tests with scripted answers. Every box is modal: the call returns the
// button the user chose.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption, MsgType type,
                                 MsgButtons buttons) = 0;
    // The program is ending (the session ended, a stop signal came): every box open now closes, and
    // every box asked for later returns at once; all of them answer Cancel (neither Yes nor No).
    virtual void CloseAll() = 0;
};

} // namespace bx::platform
