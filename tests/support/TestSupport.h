// Shared test helpers: a recording user-interface port and scratch files.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/UiPort.h"

struct ShownBox {
    std::string text;
    std::string title;   // "" for the system's default title
    unsigned style;
    BoxOwner owner;
};

// Records every box and answers from a queue: yes/no questions default to No, others to OK.
class RecordingUiPort : public UiPort {
public:
    std::vector<ShownBox> boxes;
    std::deque<int> answers;
    std::function<void()> whileShown;   // runs while each box is up, as other messages would
    std::deque<std::string> fileNames;   // answers to file dialogs; empty = cancelled

    int ShowBox(BoxOwner owner, const char *text, const char *title, unsigned style) override;
    bool AskFileName(bool save, const char *title, const char *filter, char *path,
                     int size) override;
    // Input lines asked for ("title: prompt"), answered from `textAnswers` (none: cancelled).
    std::vector<std::string> prompts;
    std::deque<std::string> textAnswers;
    bool AskText(const char *prompt, char *text, int size, const char *title) override;
    // Answers to the directory browser (empty = cancelled); the prompts asked.
    std::deque<std::string> directories;
    std::vector<std::string> directoryPrompts;
    bool AskDirectory(const char *prompt, const char *filter, char *path, int size) override;
    void SetBusy(bool) override {}
    // Lists shown (title, then the entries); the answer is taken from `choices` (default -1).
    std::vector<std::vector<std::string>> lists;
    std::deque<int> choices;
    int beeps = 0;
    int ChooseFromList(const char *title, const char *const *items, int count, const char *okText) override;
    std::string lastOkText;   // the button text of the last list
    void Beep() override { beeps++; }
    // File selections: what each started with, answered from `fileSelections` (none: cancelled).
    std::vector<std::vector<std::string>> selectionsShown;
    std::deque<std::vector<std::string>> fileSelections;
    bool SelectFiles(const char *pattern, std::vector<std::string> *files) override;
    // File lists shown (dialog id, then the files); answered from `fileListAnswers` (default 2,
    // Cancel).
    std::vector<std::vector<std::string>> fileLists;
    std::deque<int> fileListAnswers;
    int ShowFileList(int dialogId, const char *const *files, int count) override;
    // Questions before a replacement: how many were asked; answered from `replaceAnswers`
    // (default Cancel).
    int replaceQuestions = 0;
    std::deque<int> replaceAnswers;
    int AskReplace() override;
    // File processor dialogs: the input files asked about, answered from `processorAnswers`
    // (command, output; none: cancelled).
    std::vector<std::string> processorInputs;
    std::deque<std::pair<std::string, std::string>> processorAnswers;
    bool AskFileProcessor(const char *input, std::string *command, std::string *output) override;

    // Font and colour dialogs: what each started with, answered from the queues (none:
    // cancelled).
    std::vector<FontChoice> fontsShown;
    std::deque<FontChoice> fontAnswers;
    bool ChooseFontFor(FontChoice *font) override;
    std::vector<unsigned long> coloursShown;
    std::deque<unsigned long> colourAnswers;
    bool ChooseColour(unsigned long *colour) override;
    // The titles and filters of the file dialogs asked for.
    std::vector<std::string> fileDialogs;

    std::vector<std::string> Texts() const;
    void Answer(int answer) { answers.push_back(answer); }
};

// Installs a recording port and fresh application and editor states for each test, and
// gives each test an empty directory of its own.
class KeltoTest : public ::testing::Test {
protected:
    RecordingUiPort ui;
    std::string dir;   // Windows path, no trailing backslash, upper-case

    void SetUp() override;
    void TearDown() override;

    // Full (upper-cased) path of `name` in the test's directory.
    std::string PathOf(const std::string &name) const;
};

std::string ReadWholeFile(const std::string &path);
void WriteWholeFile(const std::string &path, const std::string &bytes);
bool PathExists(const std::string &path);
// A file of the source tree (`relative` with slashes) as Wine sees it: under KELTO_SOURCE (a
// Unix path, drive Z:), else beside the test sources.
std::string SourcePath(const std::string &relative);
// A program run with its standard output and error caught.
struct CapturedRun {
    int code = -1;   // its exit code; -1 when it could not start or did not end in time
    std::string out, err;
};
// Runs `commandLine` in `directory`; with `pump` the window messages of this thread are handled
// while it runs (a program that sends to our windows). At most `seconds`.
CapturedRun RunCaptured(const std::string &commandLine, const std::string &directory, bool pump = false,
                        int seconds = 120);
// The build directory's file `relative` (with slashes) as Wine sees it (KELTO_BIN is a Unix
// path: drive Z:).
std::string BuildPath(const char *relative);
// Deletes a directory with everything in it.
void RemoveTree(const std::string &path);
