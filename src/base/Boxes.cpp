#include "base/Boxes.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/MessageIds.h"
#include "base/Messages.h"
#include "platform/UiPort.h"

// Boxes show a private copy: the caller's text is often the scratch buffer, which the next
// message overwrites.
int ErrorBox(const char *text) {
    char copy[255];
    snprintf(copy, sizeof copy, "%s", text ? text : "");
    return CurrentUiPort()->ShowBox(kOwnerFrame, copy, GetString(kStrError),
                                    kBoxIconHand | kBoxTaskModal | kBoxSetForeground);
}

int ErrorMessage(int id) { return ErrorBox(GetString(id)); }

int InfoBox(const char *text) {
    char *copy = strdup(text ? text : "");
    int answer = CurrentUiPort()->ShowBox(kOwnerFrame, copy ? copy : "", GetString(kStrInformation),
                                          kBoxIconAsterisk | kBoxSetForeground);
    free(copy);
    return answer;
}

bool Confirm(const char *text) {
    char *copy = strdup(text ? text : "");
    int answer = CurrentUiPort()->ShowBox(kOwnerFrame, copy ? copy : "", GetString(kStrInformation),
                                          kBoxYesNo | kBoxSetForeground);
    free(copy);
    return answer == kAnswerYes;
}

bool ConfirmMessage(int id) { return Confirm(GetString(id)); }

void NoMemory() {
    CurrentUiPort()->ShowBox(kOwnerActive, GetString(kStrNoMemory), nullptr, kBoxIconHand);
}

void InternalError(int n) {
    char text[40];
    snprintf(text, sizeof text, "InternalError %d", n);
    ErrorBox(text);
}

void IncorrectFileName(const char *name) { ErrorBox(FormatMessageId(kStrBadFileName, name)); }

void FileNotFound(const char *name) { ErrorBox(FormatMessageId(kStrFileNotFound, name)); }

void StringNotFound() { InfoBox(GetString(kStrStringNotFound)); }
