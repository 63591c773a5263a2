#include "Messages.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace karvio {

namespace {

// The captions of the message buttons.
constexpr const char* kOKCaption = KARVIO_TRANSLATE_NOOP("Messages", "OK");
constexpr const char* kCancelCaption = KARVIO_TRANSLATE_NOOP("Messages", "Cancel");
constexpr const char* kAbortCaption = KARVIO_TRANSLATE_NOOP("Messages", "Abort");
constexpr const char* kRetryCaption = KARVIO_TRANSLATE_NOOP("Messages", "Retry");
constexpr const char* kYesCaption = KARVIO_TRANSLATE_NOOP("Messages", "Yes");
constexpr const char* kNoCaption = KARVIO_TRANSLATE_NOOP("Messages", "No");

MessageSink& Sink() {
    static MessageSink sink;
    return sink;
}

FatalErrorHandler& Handler() {
    static FatalErrorHandler handler;
    return handler;
}

bool& FatalShowsMessage() {
    static bool show = true;
    return show;
}

int DefaultSink(const std::string& text, const MsgButtonSet& buttons) {
    std::fprintf(stderr, "%s\n", text.c_str());
    return buttons.cancelIndex > 0 ? buttons.CancelValue() : buttons.DefaultValue();
}

}  // namespace

int MsgButtonSet::ValueOf(int index) const {
    if (index >= 1 && index <= static_cast<int>(buttons.size())) return buttons[index - 1].value;
    return buttons.empty() ? vbOK : buttons.front().value;
}

MsgButtonSet MsgBoxButtonsForStyle(int style) {
    switch (style) {
        case vbOKCancel:
            return {{{kOKCaption, vbOK}, {kCancelCaption, vbCancel}}, 1, 2};
        case vbAbortRetryIgnore:
            // The third button of this set is a Cancel, as the program has always shown it.
            return {
                {{kAbortCaption, vbAbort}, {kRetryCaption, vbRetry}, {kCancelCaption, vbCancel}},
                2,
                3};
        case vbYesNoCancel:
            return {{{kYesCaption, vbYes}, {kNoCaption, vbNo}, {kCancelCaption, vbCancel}}, 1, 3};
        case vbYesNo:
            return {{{kYesCaption, vbYes}, {kNoCaption, vbNo}}, 0, 0};
        case vbRetryCancel:
            return {{{kRetryCaption, vbRetry}, {kCancelCaption, vbCancel}}, 1, 2};
        case vbOKOnly:
        default:
            return {{{kOKCaption, vbOK}}, 1, 0};
    }
}

MessageSink SetMessageSink(MessageSink sink) { return std::exchange(Sink(), std::move(sink)); }

int ShowMessage(const std::string& text, int style) {
    const MsgButtonSet buttons = MsgBoxButtonsForStyle(style);
    const MessageSink& sink = Sink();
    return sink ? sink(text, buttons) : DefaultSink(text, buttons);
}

FatalErrorHandler SetFatalErrorHandler(FatalErrorHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}

bool SetFatalErrorShowsMessage(bool show) { return std::exchange(FatalShowsMessage(), show); }

void FatalError(const std::string& text) {
    const std::string message =
        text.empty() ? KARVIO_TRANSLATE_NOOP("Messages", "Unknown Error!!! Exiting") : text;
    if (FatalShowsMessage()) ShowMessage(message, vbOKOnly);
    if (const FatalErrorHandler& handler = Handler()) handler(message);
    // Nothing more is asked and no window runs its closing logic; the system closes the files.
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

ScopedFatalErrorsThrow::ScopedFatalErrorsThrow()
    : previous_(SetFatalErrorHandler(
          [](const std::string& text) { throw FatalErrorException(text); })),
      previousShows_(SetFatalErrorShowsMessage(false)) {}

ScopedFatalErrorsThrow::~ScopedFatalErrorsThrow() {
    SetFatalErrorHandler(std::move(previous_));
    SetFatalErrorShowsMessage(previousShows_);
}

}  // namespace karvio
