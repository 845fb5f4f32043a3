#pragma once
// TIniFile: a settings file of "[Section]" headers and "Key=Value" lines, read and written with
// the Windows private-profile rules:
//   - section and key names compare without regard to case;
//   - the first matching section, and in it the first matching key, is the one read and written
//     (later duplicates are kept in the file but never seen);
//   - names and values are trimmed of blanks, and a value enclosed in a pair of matching single
//     or double quotes reads without them; lines starting with ";" are comments;
//   - a missing file reads as empty, so every read gives its default;
//   - a file name without a folder names a file in the profile folder (ProfileFolder).
// The parsed file is kept in memory and shared by every TIniFile open on the same file, so
// writes are seen at once and thousands of them stay cheap, also when each is made by a TIniFile
// of its own. Changes are written behind, atomically: on UpdateFile, on the next idle turn of the
// application loop, when the program ends (also by an uncaught exception), and when a TIniFile is
// opened on a file another program changed meanwhile (the file is read again and the changes made
// on it). Freeing a TIniFile writes nothing. The rest of the file (comments, blank lines, the
// order of everything) is written back unchanged.

#include <memory>
#include <string>

#include "framework/object.h"

class TStrings;

LUMORA_DECLARE_EXCEPTION(EIniFileException, Exception)

// The folder that holds profile files named without a folder ("win.ini"): the registry store's
// folder, with a trailing "/" (made when missing).
std::string ProfileFolder();

// Writes every INI file with changes not yet on disk, as an idle turn does. A file that cannot be
// written keeps its old content, and the changes stay.
void UpdateIniFiles();

class TIniFile : public TObject {
    LUMORA_CLASS(TIniFile, TObject)
public:
    explicit TIniFile(const std::string& FileName);
    ~TIniFile() override;

    const std::string& GetFileName() const { return fileName_; }

    // True when the section holds at least one key.
    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Ident) const;

    std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) const;
    // Decimal, or hexadecimal after "0x" or "$"; the default for anything else.
    Integer ReadInteger(const std::string& Section, const std::string& Ident, Integer Default) const;
    // Any integer but 0 is true.
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
    // Read with the current FormatSettings; the default when the text does not convert.
    Double ReadFloat(const std::string& Section, const std::string& Ident, Double Default) const;
    TDateTime ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) const;
    TDateTime ReadTime(const std::string& Section, const std::string& Ident, TDateTime Default) const;
    TDateTime ReadDateTime(const std::string& Section, const std::string& Ident, TDateTime Default) const;

    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
    void WriteInteger(const std::string& Section, const std::string& Ident, Integer Value);
    // Written as "1" or "0".
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    void WriteFloat(const std::string& Section, const std::string& Ident, Double Value);
    void WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value);
    void WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value);
    void WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value);

    // The key names of a section, in file order (Strings is cleared first).
    void ReadSection(const std::string& Section, TStrings* Strings) const;
    // The section names, in file order, each once.
    void ReadSections(TStrings* Strings) const;
    // "Key=Value" lines of a section, values read as ReadString reads them.
    void ReadSectionValues(const std::string& Section, TStrings* Strings) const;
    // Removes every section of that name with all its lines.
    void EraseSection(const std::string& Section);
    // Removes the key (every line of that name in the section that is read).
    void DeleteKey(const std::string& Section, const std::string& Ident);
    // Writes pending changes to the disk; EIniFileException "Unable to write to <file>" when that
    // fails.
    void UpdateFile();

    struct Document;  // the parsed file, shared by every TIniFile on it

private:
    std::string fileName_;
    std::shared_ptr<Document> doc_;
};
