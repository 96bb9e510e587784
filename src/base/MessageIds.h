// Names of the message-table texts the code asks for by number (the texts are in
// MessageTable.cpp). A name says what the text is for; the comment quotes it where the name
// alone does not.
#pragma once

enum {
    // General boxes and questions.
    kStrEndDebugging = 31,           // "This will close the debugging session"
    kStrEraseExisting = 46,          // "%s exists already. Erase it?"
    kStrAskCompilerRoot = 93,        // "Enter path for the compiler root directory"
    kStrNoMemory = 137,              // "No more memory left"
    kStrReadWriteError = 141,        // "File read or write error."
    kStrAskSave = 290,               // "%s\nSave?"
    kStrExecuteTool = 405,           // "Execute %s %s." (a user tool's program and arguments)
    kStrError = 406,                 // the title of error boxes

    // Keyword lists, each read up to its first empty text.
    kStrCKeywords = 995,
    kStrDirectives = 1031,           // the C preprocessor's
    kStrFortranKeywords = 5000,
    kStrEiffelKeywords = 6000,

    // Files, languages and searching.
    kStrCannotWrite = 1154,          // "Impossible to open %s for writing!"
    kStrWriteError = 1155,           // "Write error. Is the disk full?"
    kStrLanguageC = 1197,            // "C Language"
    kStrLanguageAssembly = 1198,     // "Assembly"
    kStrOpenFunctionDefinition = 3952,   // "%s: open function definition"
    kStrReloadChanged = 1202,        // "File %s has been changed. Reload from disk?"
    kStrSaveChanged = 1209,          // "The file %s has been changed. Save modifications?"
    kStrEmptySearch = 1214,          // "Empty search string?"
    kStrNoDirection = 1215,          // "Direction ?"

    // Setup: the compiler, the frame's resources, the version stamp.
    kStrBadCompilerPath = 3963,      // "Incorrect path for compiler in registry"
    kStrFrameClass = 3969,           // "clMDIFrame"
    kStrFrameMenu = 3978,            // "EditMenu"
    kStrFrameAccelerators = 3979,    // "EDITFILEACC"
    kStrInformation = 3981,          // the title of information and question boxes
    kStrStampPrefix = 3999,          // "static char *_CMSID = "

    // Editing, memory, files and projects.
    kStrNameUsed = 4000,             // "Name already used"
    kStrLineTooLong = 4001,          // "Line too long!"
    kStrInternalError = 4002,
    kStrSubstitutions = 4003,        // "%d substitutions"
    kStrNoBookmarks = 4017,          // "No book marks defined"
    kStrFileNotFound = 4036,         // "File %s not found!"
    kStrStringNotFound = 4066,
    kStrBadFileName = 4069,          // "[%s]: incorrect file name"
    kStrBadRelease = 4072,           // "Wrong block passed to release"
    kStrOverwrittenBlock = 4073,     // "overwritten block size %d\n"
    kStrTimeStamp = 4078,            // "%d.%d.%d.%d.%d.%d"
    kStrOverwriteFile = 4379,        // "File %s exists. Overwrite it?"
    kStrDirectoryMissing = 4380,     // "Directory %s doesn't exist"
    kStrFileMissing = 4383,          // "Internal error: File %s does not exist!"
    kStrCannotOpenProject = 4386,    // "Impossible to open project %s"
    kStrLinesRead = 4388,            // "%d lines read"
    kStrLanguageFortran = 4448,      // "Fortran"

    // The editor's context menu.
    kStrDefinitionOf = 4503,         // "Definition of %s"
    kStrUsageOf = 4504,              // "Usage of %s"
    kStrDocumentationFor = 4505,     // "Documentation for %s"
    kStrGlobalsIn = 4506,            // "Globals in %s"
    kStrFunctionsIn = 4507,          // "Functions in %s"
    kStrLocalsIn = 4508,             // "Locals in %s"
    kStrEditDescriptionOf = 4509,    // "Edit description of %s"
    kStrMetricsFor = 4510,           // "Metrics for %s"
    kStrProperties = 4511,
    kStrMatchingBrace = 4512,        // "Goto matching brace"
    kStrMatchingEndif = 4513,        // "Goto matching #endif"
    kStrShowCases = 4514,
    kStrShowC = 680,                 // "Show C": an Eiffel source's generated C

    // Truncated lines, regular expressions, the debugger's part of the context menu.
    kStrSaveTruncated = 4551,        // "File contains truncated lines\nSave anyway?"
    kStrLinesTruncated = 4552,       // "%s:\n%d lines longuer than 500 characters were truncated"
    kStrBadRegex = 4553,             // "Bad regular expression"
    kStrTooManyGroups = 4554,        // "Too many () in reg exp"
    kStrMismatchedParens = 4555,     // "Mismatched ()"
    kStrEmptyOperand = 4556,         // "Operand of +? could be empty"
    kStrInvalidRange = 4557,         // "Invalid [] range"
    kStrTrailingBackslash = 4558,
    kStrShowValueOf = 4559,          // "Show value of %s"
    kStrInsertBreakpoint = 4560,
    kStrRunToCursor = 4561,
    kStrSetNextStatement = 4562,
    kStrEvaluateExpression = 4563,
    kStrClipboardEmpty = 4566,
    kStrCompileFile = 4567,          // "&Compile %s"
    kStrNotProjectFile = 4584,       // "This file is not a Kelto project file"

    // Projects.
    kStrErase = 14,
    kStrCannotCreate = 50,           // "Creation of %s impossible"
    kStrBlankInProjectName = 101,
    kStrClose = 110,
    kStrNoProjectType = 171,
    kStrCmsInCurrentDirectory = 233, // "Cms directory should be different from current directory"
    kStrNameValue = 283,             // "Name": the value that holds a project's name
    kStrOpenFilesCount = 412,        // "Open %d files?"
    kStrNoProject = 3946,            // "No project defined"
    kStrOpenFileValue = 3964,        // "%s %d %d %d %d %d"
    kStrEmptyProjectName = 4029,     // "Empty project file?"
    kStrProjectFilesValue = 4137,    // "PrjFiles"
    kStrUserCountValue = 4138,       // "UserCount"
    kStrCmsDirectoryValue = 4140,    // "CmsDirectory", then the put, get, file, lock and users options
    kStrDebuggerArgumentsValue = 4522,   // "DebuggerArguments"
    kStrUseWizard = 4590,
    kStrNoFilesSelected = 4591,      // "No files selected\nContinue with empty project?"

    // Status-bar help of the menu commands.
    kStrMenuHelpBase = 7000,         // a command's help is this plus the command's identifier
    kStrHelpIndexHelp = 21000,       // "Show the on-line documentation"
};
