#include "framework/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "framework/atomic_file.h"
#include "framework/file_utils.h"
#include "framework/formatting.h"
#include "framework/forms.h"
#include "framework/registry.h"
#include "framework/string_list.h"
#include "framework/sysutils.h"

namespace {

std::string Folded(std::string_view s) {
    return AnsiUpperCase(Trim(s));
}

// The absolute name of a file, its folder resolved, so that every way of naming one file finds
// the same document.
std::string AbsoluteName(const std::string& fileName) {
    std::string name = ExpandFileName(fileName.find('/') == std::string::npos ? ProfileFolder() + fileName : fileName);
    std::string folder = ExtractFileDir(name);
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved)) return IncludeTrailingPathDelimiter(resolved) + ExtractFileName(name);
    return name;
}

}  // namespace

struct TIniFile::Document {
    struct Line {
        std::string Raw;
        std::string KeyText;  // the text before "=", as written
        std::string Key;      // folded, empty for lines that are not keys
    };
    struct Section {
        std::string Name;
        std::string Key;  // folded
        std::string Header;
        std::vector<Line> Lines;
        std::unordered_map<std::string, size_t> FirstLine;  // folded key -> line

        void Reindex() {
            FirstLine.clear();
            for (size_t i = 0; i < Lines.size(); ++i)
                if (!Lines[i].Key.empty()) FirstLine.emplace(Lines[i].Key, i);
        }
        const Line* Find(const std::string& key) const {
            auto it = FirstLine.find(key);
            return it == FirstLine.end() ? nullptr : &Lines[it->second];
        }
    };

    // One change as a TIniFile method made it, kept until it is on disk so that it can be made
    // again on the file as another program left it.
    struct Change {
        enum Kind { Write, Erase, Delete } What;
        std::string SectionName, Ident, Value;
    };

    std::mutex Mutex;
    std::string Path;
    bool Bom = false;
    std::string LineBreak = "\r\n";
    std::vector<std::string> Preamble;
    std::vector<Section> Sections;
    std::unordered_map<std::string, size_t> FirstSection;
    bool Dirty = false;
    std::vector<Change> Pending;  // the changes since the file was last read or written
    bool WriteFailed = false;     // the last write behind failed; the next change tries again
    TFileStamp Identity;          // the file as it was when last read or written

    static Line ParseLine(const std::string& raw) {
        Line line{raw, {}, {}};
        std::string t = Trim(raw);
        if (t.empty() || t[0] == ';') return line;
        size_t eq = raw.find('=');
        if (eq == std::string::npos) return line;
        line.KeyText = raw.substr(0, eq);
        line.Key = Folded(line.KeyText);
        return line;
    }

    static std::string ValueOf(const Line& line) {
        std::string v = Trim(std::string_view(line.Raw).substr(line.KeyText.size() + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
        return v;
    }

    void ReindexSections() {
        FirstSection.clear();
        for (size_t i = 0; i < Sections.size(); ++i) FirstSection.emplace(Sections[i].Key, i);
    }

    Section* FindSection(const std::string& name) {
        auto it = FirstSection.find(Folded(name));
        return it == FirstSection.end() ? nullptr : &Sections[it->second];
    }
    const Section* FindSection(const std::string& name) const {
        return const_cast<Document*>(this)->FindSection(name);
    }

    void Load() {
        Preamble.clear();
        Sections.clear();
        FirstSection.clear();
        Dirty = false;
        Pending.clear();
        Bom = false;
        LineBreak = "\r\n";
        Identity = FileStampOf(Path);
        std::ifstream in(Path, std::ios::binary);
        if (!in) return;
        std::stringstream buffer;
        buffer << in.rdbuf();
        std::string text = buffer.str();
        size_t pos = 0;
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            Bom = true;
            pos = 3;
        }
        size_t firstBreak = text.find_first_of("\r\n", pos);
        if (firstBreak != std::string::npos)
            LineBreak = text.compare(firstBreak, 2, "\r\n") == 0 ? "\r\n" : text.substr(firstBreak, 1);
        while (pos < text.size()) {
            size_t end = text.find_first_of("\r\n", pos);
            std::string raw = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? text.size() : end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
            std::string t = Trim(raw);
            if (!t.empty() && t[0] == '[') {
                size_t close = t.find(']');
                Section s;
                s.Name =
                    Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
                s.Key = AnsiUpperCase(s.Name);
                s.Header = raw;
                Sections.push_back(std::move(s));
            } else if (Sections.empty()) {
                Preamble.push_back(raw);
            } else {
                Sections.back().Lines.push_back(ParseLine(raw));
            }
        }
        for (Section& s : Sections) s.Reindex();
        ReindexSections();
    }

    std::string Text() const {
        std::string out = Bom ? "\xEF\xBB\xBF" : "";
        auto add = [&](const std::string& line) {
            out += line;
            out += LineBreak;
        };
        for (const std::string& line : Preamble) add(line);
        for (const Section& s : Sections) {
            add(s.Header);
            for (const Line& line : s.Lines) add(line.Raw);
        }
        return out;
    }

    // Makes a change and keeps it for the disk.
    void Make(Change change) {
        if (!Apply(change)) return;
        Dirty = true;
        WriteFailed = false;
        Pending.push_back(std::move(change));
    }

    // False when the change left the document as it was.
    bool Apply(const Change& c) {
        switch (c.What) {
        case Change::Write: return Write(c.SectionName, c.Ident, c.Value);
        case Change::Erase: return EraseSection(c.SectionName);
        case Change::Delete: return DeleteKey(c.SectionName, c.Ident);
        }
        return false;
    }

    // Writes the document over the file when it has changes; a file that another program changed
    // since it was read is read again first and the changes are made on it. False when the file
    // cannot be written (the changes stay).
    bool Save() {
        if (!Dirty) return true;
        if (!(FileStampOf(Path) == Identity)) {
            std::vector<Change> changes = std::move(Pending);
            Load();
            for (const Change& c : changes) Apply(c);
            Pending = std::move(changes);
            Dirty = true;
        }
        if (!WriteFileAtomically(Path, Text())) return false;
        Dirty = false;
        Pending.clear();
        Identity = FileStampOf(Path);
        return true;
    }

    bool EraseSection(const std::string& section) {
        std::string key = Folded(section);
        size_t before = Sections.size();
        std::erase_if(Sections, [&](const Section& s) { return s.Key == key; });
        if (Sections.size() == before) return false;
        ReindexSections();
        return true;
    }

    bool DeleteKey(const std::string& section, const std::string& ident) {
        Section* s = FindSection(section);
        std::string key = Folded(ident);
        if (!s || !s->Find(key)) return false;
        std::erase_if(s->Lines, [&](const Line& line) { return line.Key == key; });
        s->Reindex();
        return true;
    }

    bool Write(const std::string& section, const std::string& ident, const std::string& value) {
        std::string key = Folded(ident);
        if (key.empty()) return false;
        Section* s = FindSection(section);
        if (!s) {
            // a blank line between the file so far and the new section
            if (!Sections.empty()) {
                std::vector<Line>& lines = Sections.back().Lines;
                if (lines.empty() || !Trim(lines.back().Raw).empty()) lines.push_back(Line{});
            } else if (!Preamble.empty() && !Trim(Preamble.back()).empty()) {
                Preamble.emplace_back();
            }
            Section fresh;
            fresh.Name = Trim(section);
            fresh.Key = AnsiUpperCase(fresh.Name);
            fresh.Header = "[" + fresh.Name + "]";
            Sections.push_back(std::move(fresh));
            FirstSection.emplace(Sections.back().Key, Sections.size() - 1);
            s = &Sections.back();
        }
        auto it = s->FirstLine.find(key);
        if (it != s->FirstLine.end()) {
            Line& line = s->Lines[it->second];
            line.Raw = line.KeyText + "=" + value;
        } else {
            // after the section's last line that is not blank
            size_t at = s->Lines.size();
            while (at > 0 && Trim(s->Lines[at - 1].Raw).empty()) --at;
            std::string keyText = Trim(ident);
            s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(at),
                            Line{keyText + "=" + value, keyText, key});
            s->FirstLine.emplace(key, at);  // only blank lines moved
        }
        return true;
    }
};

namespace {

// Every document in use or with changes not yet on disk, by absolute file name. Lock order: this
// mutex, then a document's.
std::mutex g_documentsMutex;
std::map<std::string, std::shared_ptr<TIniFile::Document>>& Documents() {
    static auto* documents = new std::map<std::string, std::shared_ptr<TIniFile::Document>>;
    return *documents;
}

// Writes the documents with changes; a write behind that failed waits for the next change unless
// Retry. Documents nobody uses any more are dropped once they are on disk.
void SaveDocuments(bool Retry) {
    std::lock_guard<std::mutex> lock(g_documentsMutex);
    auto& documents = Documents();
    for (auto it = documents.begin(); it != documents.end();) {
        TIniFile::Document& doc = *it->second;
        bool drop;
        {
            std::lock_guard<std::mutex> docLock(doc.Mutex);
            if (doc.Dirty && (Retry || !doc.WriteFailed)) {
                try {
                    doc.WriteFailed = !doc.Save();
                } catch (...) {
                    doc.WriteFailed = true;  // the old file stays; the changes are kept
                }
            }
            drop = !doc.Dirty && it->second.use_count() == 1;
        }
        it = drop ? documents.erase(it) : std::next(it);
    }
}

// When the program ends with an exception nobody caught, the changes are written before it goes,
// unless a lock is held (the exception came from inside a write).
std::terminate_handler g_previousTerminate = nullptr;

void SaveBeforeTerminating() {
    if (g_documentsMutex.try_lock()) {
        for (auto& [path, doc] : Documents()) {
            if (!doc->Mutex.try_lock()) continue;
            try {
                doc->Save();
            } catch (...) {
            }
            doc->Mutex.unlock();
        }
        g_documentsMutex.unlock();
    }
    if (g_previousTerminate) g_previousTerminate();
    std::abort();
}

// Changes are written on every idle turn of the application loop, when the program ends, and
// before it is ended by an uncaught exception. The idle hook is added while the program starts,
// before any thread could run a loop; the exit handlers once the first file is opened, so that
// they run before anything they use is destroyed.
const Integer g_idleHook = TApplication::AddIdleHook([] { SaveDocuments(false); });

void WriteBehind() {
    static const bool installed = [] {
        std::atexit([] { SaveDocuments(true); });
        g_previousTerminate = std::set_terminate(SaveBeforeTerminating);
        return true;
    }();
    (void)installed;
}

}  // namespace

void UpdateIniFiles() {
    SaveDocuments(true);
}

std::string ProfileFolder() {
    std::string folder = RegistryFolder();
    ForceDirectories(folder);
    return folder;
}

TIniFile::TIniFile(const std::string& FileName) : fileName_(FileName) {
    WriteBehind();
    std::string path = AbsoluteName(FileName);
    std::lock_guard<std::mutex> lock(g_documentsMutex);
    auto& documents = Documents();
    auto it = documents.find(path);
    if (it != documents.end()) {
        doc_ = it->second;
        std::lock_guard<std::mutex> docLock(doc_->Mutex);
        if (!(FileStampOf(path) == doc_->Identity)) {
            // Changed on disk: read again, with the changes not yet written made on it and written.
            if (!doc_->Dirty) doc_->Load();
            else doc_->WriteFailed = !doc_->Save();
        }
        return;
    }
    doc_ = std::make_shared<Document>();
    doc_->Path = path;
    doc_->Load();
    documents[path] = doc_;
}

TIniFile::~TIniFile() = default;

bool TIniFile::SectionExists(const std::string& Section) const {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    const Document::Section* s = doc_->FindSection(Section);
    return s && !s->FirstLine.empty();
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    const Document::Section* s = doc_->FindSection(Section);
    return s && s->Find(Folded(Ident));
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    const Document::Section* s = doc_->FindSection(Section);
    const Document::Line* line = s ? s->Find(Folded(Ident)) : nullptr;
    return line ? Document::ValueOf(*line) : Default;
}

Integer TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, Integer Default) const {
    std::string text = ReadString(Section, Ident, "");
    return StrToIntDef(text, Default);
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

Double TIniFile::ReadFloat(const std::string& Section, const std::string& Ident, Double Default) const {
    Double v;
    return TryStrToFloat(ReadString(Section, Ident, ""), v) ? v : Default;
}

TDateTime TIniFile::ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) const {
    TDateTime v;
    return TryStrToDate(ReadString(Section, Ident, ""), v) ? v : Default;
}

TDateTime TIniFile::ReadTime(const std::string& Section, const std::string& Ident, TDateTime Default) const {
    TDateTime v;
    return TryStrToTime(ReadString(Section, Ident, ""), v) ? v : Default;
}

TDateTime TIniFile::ReadDateTime(const std::string& Section, const std::string& Ident, TDateTime Default) const {
    TDateTime v;
    return TryStrToDateTime(ReadString(Section, Ident, ""), v) ? v : Default;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    doc_->Make({Document::Change::Write, Section, Ident, Value});
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, Integer Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& Section, const std::string& Ident, Double Value) {
    WriteString(Section, Ident, FloatToStr(Value));
}

void TIniFile::WriteDate(const std::string& Section, const std::string& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateToStr(Value));
}

void TIniFile::WriteTime(const std::string& Section, const std::string& Ident, TDateTime Value) {
    WriteString(Section, Ident, TimeToStr(Value));
}

void TIniFile::WriteDateTime(const std::string& Section, const std::string& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateTimeToStr(Value));
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) const {
    std::vector<std::string> keys;
    {
        std::lock_guard<std::mutex> lock(doc_->Mutex);
        if (const Document::Section* s = doc_->FindSection(Section))
            for (size_t i = 0; i < s->Lines.size(); ++i)
                if (!s->Lines[i].Key.empty() && s->FirstLine.at(s->Lines[i].Key) == i)
                    keys.push_back(Trim(s->Lines[i].KeyText));
    }
    Strings->BeginUpdate();
    Strings->Clear();
    for (const std::string& k : keys) Strings->Add(k);
    Strings->EndUpdate();
}

void TIniFile::ReadSections(TStrings* Strings) const {
    std::vector<std::string> names;
    {
        std::lock_guard<std::mutex> lock(doc_->Mutex);
        for (size_t i = 0; i < doc_->Sections.size(); ++i) {
            const Document::Section& s = doc_->Sections[i];
            if (doc_->FirstSection.at(s.Key) == i) names.push_back(s.Name);
        }
    }
    Strings->BeginUpdate();
    Strings->Clear();
    for (const std::string& n : names) Strings->Add(n);
    Strings->EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) const {
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(doc_->Mutex);
        if (const Document::Section* s = doc_->FindSection(Section))
            for (size_t i = 0; i < s->Lines.size(); ++i)
                if (!s->Lines[i].Key.empty() && s->FirstLine.at(s->Lines[i].Key) == i)
                    lines.push_back(Trim(s->Lines[i].KeyText) + "=" + Document::ValueOf(s->Lines[i]));
    }
    Strings->BeginUpdate();
    Strings->Clear();
    for (const std::string& l : lines) Strings->Add(l);
    Strings->EndUpdate();
}

void TIniFile::EraseSection(const std::string& Section) {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    doc_->Make({Document::Change::Erase, Section, {}, {}});
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    doc_->Make({Document::Change::Delete, Section, Ident, {}});
}

void TIniFile::UpdateFile() {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    if (!doc_->Save()) throw EIniFileException("Unable to write to " + fileName_);
}
