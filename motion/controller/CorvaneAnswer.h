#pragma once
// The boards answer a query with one line "X:value" (letter, colon, value). These helpers take
// such a line apart; none of them reads past the terminating NUL.

// Cuts trailing characters up to and including 0x20 (blanks, CR, LF, ETX) in place and returns the
// text after its leading characters below 0x21. Null stays null.
char* TrimCorvaneAnswer(char* text);

// True when text starts with first and has a ':' at position colonPosition.
bool HasCorvaneAnswerForm(const char* text, char first, int colonPosition);

// The integer after the first ':' (the whole text when there is none): leading blanks skipped, an
// optional sign, decimal digits up to the first other character; no digits give 0. Values beyond
// the int range are clamped to it. Null gives 0.
int CorvaneAnswerValue(const char* text);
