#pragma once

// The program's only reporting path: one line per message on standard error, nothing added.
void printError(const char* text);
void printMessage(const char* text);
