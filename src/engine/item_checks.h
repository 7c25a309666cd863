// SPDX-License-Identifier: GPL-3.0-or-later
// The checks an item passes before it enters a job or runs from a command line: folder
// variables expanded, missing output folders created, the output name completed, and every
// problem left as a numbered code in lErr. Two presenters turn a code into words: one reports
// it for batch runs, the other asks the window's user whether to repair or override it.
#pragma once

#include <functional>
#include <string>

#include "engine/conversion_item.h"

namespace braxel {

// Special process numbers the checks accept: 2..29, 31..60 and 100 (launch a program).
bool IsValidSpecialProcess(int32_t process);

void CompleteAndValidateItem(clsConversionOptions& item);
void ValidateConversionItem(clsConversionOptions& item);
void ValidateSpecialItem(clsConversionOptions& item);

// The batch report of lErr (pieces on separate lines); also stored in sErr.
std::string CommandLineItemErrorText(const clsConversionOptions& item);
// Stores the text in sErr and reports it to the item's log file (and a box with bVerbose).
void ReportCommandLineItemError(clsConversionOptions& item);

// What the window supplies to the error presenter; every member may stay empty.
struct ItemErrorView {
  std::function<void(bool selectAll)> focusInput;          // cbOriginalFile
  std::function<void(bool selectAll)> focusOutput;         // cbTargetFile
  std::function<void(const std::string&)> setOutputText;   // cbTargetFile's text
  std::function<void()> focusSpecialInputFormat;           // cbFileTypeOriginalSpecialized
  std::function<void(int tab)> showSpecialParameterTab;    // tsSpecialProcessParameters
  std::function<bool()> inputVisible;
  std::function<bool()> outputVisible;
  // Shows the type-mismatch window; true when the user chose to continue.
  std::function<bool()> confirmTypeMismatch;
  // True when the user switched the type-mismatch notice off.
  std::function<bool()> mismatchNoticeOff;
};

// The process-wide switch of the type-mismatch notice (the window's do-not-show-again).
void SetTypeMismatchNoticeOff(bool off);
bool TypeMismatchNoticeOff();

// Presents lErr to the window's user through the current prompter; true when the user
// repaired or overrode the problem and the item may be added anyway.
bool ShowItemError(clsConversionOptions& item, const ItemErrorView& view = {});

}  // namespace braxel
