// The one way the engine talks to the user: ShowMessage with a button set, answered by whatever
// message sink the program installed (the message box in the desktop program, a terminal prompt
// in karvio-cli, scripted answers in tests). FatalError shows its text the same way and ends the
// process. All of it runs on the user-interface thread.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// Marks an English text the user sees so that the program's translation tools find it; the text
// itself is left as it is (the engine does not depend on Qt, and karvio-cli speaks English). The
// desktop program translates the finished message line by line in the context "Messages".
#define KARVIO_TRANSLATE_NOOP(context, text) text

namespace karvio {

// Lines the engine builds from a fixed text around a name, a number or a reason (%1): the desktop
// program translates the fixed text and puts the filled-in part back, itself translated when it
// is one of the engine's texts.
inline constexpr const char* kMessagePatterns[] = {
    KARVIO_TRANSLATE_NOOP("Messages", "The CD cannot be added: %1"),
    KARVIO_TRANSLATE_NOOP("Messages", "The CD was not added: %1"),
    KARVIO_TRANSLATE_NOOP("Messages", "%1 The CD was not rescanned."),
    KARVIO_TRANSLATE_NOOP("Messages", "The CD was catalogued, but its details were not saved: %1"),
    KARVIO_TRANSLATE_NOOP("Messages", "the change cannot be saved: %1"),
    KARVIO_TRANSLATE_NOOP("Messages", "File Read Error!! Error %1"),
    KARVIO_TRANSLATE_NOOP("Messages", "File Write Error!! Error %1"),
};

// Results of a message, numbered as the standard message-box results.
enum MsgResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Button sets (styles) the program uses.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
};

struct MsgButton {
    std::string caption;
    int value = 0;
};

// The buttons of one message, with the 1-based index of the default and of the cancel button
// (0 = none).
struct MsgButtonSet {
    std::vector<MsgButton> buttons;
    int defaultIndex = 0;
    int cancelIndex = 0;

    // The value of button `index` (1-based); the value of button 1 for an index out of range.
    int ValueOf(int index) const;
    // The value the message returns when it closes by its default button, or button 1.
    int DefaultValue() const { return ValueOf(defaultIndex > 0 ? defaultIndex : 1); }
    // The value of the cancel button, or 0 when the set has none.
    int CancelValue() const { return cancelIndex > 0 ? ValueOf(cancelIndex) : 0; }
};

// The buttons, default and cancel button of a style, taken as a whole value: a style with icon or
// modality bits added falls back to a single OK button.
MsgButtonSet MsgBoxButtonsForStyle(int style);

// Answers one message: shows `text` with `buttons` and returns the value of the button chosen.
using MessageSink = std::function<int(const std::string& text, const MsgButtonSet& buttons)>;

// Installs the sink that answers every later ShowMessage; returns the previous one. An empty sink
// restores the default, which writes the text to stderr and answers with the cancel button (or
// the default button when the set has no cancel button).
MessageSink SetMessageSink(MessageSink sink);

// Shows a message with the button set `style` and returns the value of the button pressed.
int ShowMessage(const std::string& text, int style);

// What FatalError does after showing its text. The default ends the process with a non-zero
// exit status; tests and diagnostic walks install one that throws FatalErrorException.
using FatalErrorHandler = std::function<void(const std::string& text)>;
FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler);

// Whether FatalError shows its text through ShowMessage before calling the handler (default on).
// Returns the previous setting.
bool SetFatalErrorShowsMessage(bool show);

class FatalErrorException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Shows `text` ("Unknown Error!!! Exiting" when empty) and ends the program.
[[noreturn]] void FatalError(const std::string& text);

// For its lifetime, FatalError shows nothing and throws FatalErrorException instead of ending the
// process (tests, diagnostic walks); the previous behaviour is restored on scope exit.
class ScopedFatalErrorsThrow {
public:
    ScopedFatalErrorsThrow();
    ~ScopedFatalErrorsThrow();
    ScopedFatalErrorsThrow(const ScopedFatalErrorsThrow&) = delete;
    ScopedFatalErrorsThrow& operator=(const ScopedFatalErrorsThrow&) = delete;

private:
    FatalErrorHandler previous_;
    bool previousShows_;
};

}  // namespace karvio
