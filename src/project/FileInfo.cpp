// The file information dialog of a project file: the document's facts, and the processor that
// builds the file, which the user may give, change or delete here. Other documents keep the
// editor's own information box.
#include "project/CompileFile.h"

#include <windows.h>

#include <string>

#include "base/CommandIds.h"
#include "base/Commands.h"
#include "base/ResourceIds.h"
#include "base/TextUtil.h"
#include "editor/Document.h"
#include "platform/DialogParameter.h"
#include "project/ConfigDialogs.h"
#include "project/Makefile.h"
#include "project/Project.h"
#include "ui/Dialogs.h"

namespace {

CommandHandler g_editorProperties;

struct InfoData {
    FileInfoTexts texts;
    std::string path;
    ProcessorFields fields;
};

INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    InfoData *data = DialogParameter<InfoData>(dialog, message, lParam);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowTextA(dialog, data->texts.title);
        SetItemText(dialog, IDC_INFO_POSITION, data->texts.position);
        SetItemText(dialog, IDC_INFO_SIZE, data->texts.size);
        SetItemText(dialog, IDC_INFO_MARKS, data->texts.marks);
        SetItemText(dialog, IDC_INFO_LANGUAGE, data->texts.language);
        SetChecked(dialog, IDC_INFO_MODIFIED, data->texts.modified);
        ShowWindow(GetDlgItem(dialog, IDC_INFO_MODIFIED), data->texts.modified ? SW_SHOW : SW_HIDE);
        SetItemText(dialog, IDC_INFO_DATE, data->texts.date);
        SetItemText(dialog, IDC_INFO_COMMAND, data->fields.command);
        SetItemText(dialog, IDC_INFO_OUTPUT, data->fields.output);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            data->fields.command = ItemText(dialog, IDC_INFO_COMMAND);
            data->fields.output = ItemText(dialog, IDC_INFO_OUTPUT);
            if (ProjectRecord *project = CurrentProject())
                if (!ApplyProcessorFields(project, data->path, data->fields))
                    return TRUE;   // the dialog stays
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        break;
    }
    return DefaultDialogProc(dialog, message, wParam, lParam);
}

void PropertiesCommand(int command, intptr_t parameter) {
    const ProjectRecord *project = CurrentProject();
    std::string path = HasFileDocument() ? DiskPath(g_editor->doc) : "";
    bool listed = false;
    if (project)
        for (const std::string &file : project->files)
            listed = listed || IsProjectFile(*project, file, path);
    if (!listed) {
        if (g_editorProperties)
            g_editorProperties(command, parameter);
        return;
    }
    InfoData data;
    GetFileInfoTexts(&data.texts);
    data.path = path;
    data.fields = OpenProcessorFields(*project, path);
    RunDialog(InfoProc, IDD_FILE_INFO, reinterpret_cast<LPARAM>(&data));
}

} // namespace

void RegisterFileInfoCommand() {
    CommandHandler editor = FindHandler(IDM_PROPERTIES);
    if (editor != PropertiesCommand)
        g_editorProperties = editor;
    RegisterHandler(IDM_PROPERTIES, PropertiesCommand);
}
