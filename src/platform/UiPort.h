// The user-interface port: every box, question, input line and file dialog that logic shows
// goes through here. The real port shows Win32 boxes; tests install a port that records each
// text and answers from a queue, so no logic ever waits for a person in a test.
#pragma once

#include <string>
#include <vector>

typedef struct HWND__ *HWND;

// Box styles and answers carry the Win32 values so the real port passes them straight on.
enum BoxStyle : unsigned {
    kBoxOk = 0x0,
    kBoxYesNoCancel = 0x3,
    kBoxYesNo = 0x4,
    kBoxIconHand = 0x10,
    kBoxIconAsterisk = 0x40,
    kBoxTaskModal = 0x2000,
    kBoxSetForeground = 0x10000,
};
enum BoxAnswer { kAnswerOk = 1, kAnswerCancel = 2, kAnswerYes = 6, kAnswerNo = 7 };

// Who owns a box: the frame window (restored first if minimised) or the active window.
enum BoxOwner { kOwnerFrame, kOwnerActive };

// A font as the font dialog shows and returns it.
struct FontChoice {
    char face[32];
    int height;          // negative: character height in pixels; positive: cell height
    bool bold, italic;
    int pitchAndFamily;
};

class UiPort {
public:
    virtual ~UiPort() {}
    // Shows a message box; title null means the system's default title. Returns the answer.
    virtual int ShowBox(BoxOwner owner, const char *text, const char *title, unsigned style) = 0;
    // Asks for a file name with the open (save = false) or save dialog. Returns false when
    // cancelled; on success `path` (of `size` bytes) holds the chosen name.
    virtual bool AskFileName(bool save, const char *title, const char *filter, char *path,
                             int size) = 0;
    // Asks for a directory with the directory browser; false when cancelled. On success `path`
    // (of `size` bytes) holds the chosen directory.
    virtual bool AskDirectory(const char *prompt, const char *filter, char *path, int size) = 0;
    // Asks for one line of text in a box titled `title`; returns false when cancelled.
    virtual bool AskText(const char *prompt, char *text, int size, const char *title = "Kelto") = 0;
    // Shows or takes away the busy cursor.
    virtual void SetBusy(bool busy) = 0;
    // Shows a dialog titled `title` with a list of `count` entries and OK (or `okText`) and
    // Cancel; returns the index of the chosen entry, or -1 when cancelled.
    virtual int ChooseFromList(const char *title, const char *const *items, int count, const char *okText = "OK") = 0;
    // The selection of a project's files: the list starts as `files` (names as entered); the
    // user adds files (several at once, of the pattern's kind or any) and removes them. True
    // with the new list on OK, false when cancelled.
    virtual bool SelectFiles(const char *pattern, std::vector<std::string> *files) = 0;
    // The warning beep.
    virtual void Beep() = 0;
    // Shows the dialog `dialogId` of the program's resources that lists files ("Modified
    // files", "Load error"); returns the identifier of the button that closed it.
    virtual int ShowFileList(int dialogId, const char *const *files, int count) = 0;
    // Asks whether to replace the text found at the current view's selection ("Replace": Yes,
    // No, All, Cancel); returns one of ReplaceAnswer.
    virtual int AskReplace() = 0;
    // The "File processor" dialog for the file `input`: the command line that builds it and
    // the file that command produces, shown as given. False when cancelled.
    virtual bool AskFileProcessor(const char *input, std::string *command, std::string *output) = 0;
    // The font dialog, starting at `font`; false when cancelled, else `font` is the choice.
    virtual bool ChooseFontFor(FontChoice *font) = 0;
    // The colour dialog, starting at `colour` (0x00BBGGRR); false when cancelled, else
    // `colour` is the choice.
    virtual bool ChooseColour(unsigned long *colour) = 0;
};

// The answers carry the values of the Win32 buttons Yes, No and Cancel; All has one of its own.
enum ReplaceAnswer { kReplaceCancel = 2, kReplaceAll = 3, kReplaceYes = 6, kReplaceNo = 7 };

UiPort *CurrentUiPort();
// The window that owns the real port's boxes and dialogs (the frame); null before it exists.
void SetUiOwner(HWND frame);
// Installs `port` (null restores the real Win32 port) and returns the previous one.
UiPort *SetUiPort(UiPort *port);

// The modal dialogs and boxes open now. Every one the program shows counts while it lives in
// a ModalScope: the real port's boxes and dialogs, and RunDialog.
int ModalDepth();
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope &) = delete;
    ModalScope &operator=(const ModalScope &) = delete;
};

// Shows the busy cursor for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { CurrentUiPort()->SetBusy(true); }
    ~BusyCursor() { CurrentUiPort()->SetBusy(false); }
};
