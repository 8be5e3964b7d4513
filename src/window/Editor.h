// Starting the editor: the application, its error handler and the main window.
#pragma once

// Opens the editor; with a file name, that file is loaded as File/Open does.
// Returns the application's exit status.
int RunEditor(int& argc, char** argv, const char* fileName);
