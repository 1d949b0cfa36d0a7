#pragma once

// The method and status tables of the dialect. A message holds indexes into them, not texts.

const int kMethodCount = 12;
const int kStatusCount = 45;

// Method index a parsed response carries.
const int kResponseMethod = 10;

struct StatusRow {
    const char* code;
    const char* reason;
};

// index must lie in 0..kMethodCount-1.
const char* MethodName(int index);
// The first row whose text equals text exactly (case-sensitive), or -1.
int MethodIndex(const char* text);
// index must lie in 0..kStatusCount-1.
const StatusRow& StatusEntry(int index);
// The first row whose code equals code exactly, or -1.
int StatusIndex(const char* code);
