#pragma once
// The Properties of files and folders: a modal form (through the dialog service) listing, for
// one item, its name, type, place, size, dates and permissions, a folder's item count and, for
// the top of a mounted file system, the file system and its free space; for several items their
// count and total size.

#include <string>
#include <utility>
#include <vector>

#include "framework/forms.h"

// One line of the form: a caption ("Size:") and its value.
using TPropertyRow = std::pair<std::string, std::string>;

// The lines shown for Paths (existing files and folders).
std::vector<TPropertyRow> ShellPropertyRows(const std::vector<std::string>& Paths);

class TShellPropertiesForm : public TForm {
    LUMORA_CLASS(TShellPropertiesForm, TForm)
public:
    // A form showing Rows, titled after the first of Paths.
    TShellPropertiesForm(TComponent* AOwner, const std::vector<std::string>& Paths);
    const std::vector<TPropertyRow>& Rows() const { return FRows; }
    // The value of the line with that caption ("" when there is none).
    std::string Value(const std::string& Caption) const;

private:
    std::vector<TPropertyRow> FRows;
};

// Shows the Properties of Paths modally; false when Paths is empty or names nothing that exists.
bool ShowShellProperties(const std::vector<std::string>& Paths);
