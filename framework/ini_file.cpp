#include "framework/ini_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <vector>

#include "framework/atomic_file.h"
#include "framework/file_utils.h"
#include "framework/formatting.h"
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

    std::mutex Mutex;
    std::string Path;
    bool Bom = false;
    std::string LineBreak = "\r\n";
    std::vector<std::string> Preamble;
    std::vector<Section> Sections;
    std::unordered_map<std::string, size_t> FirstSection;
    bool Dirty = false;
    TFileStamp Identity;

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
                s.Name = Trim(std::string_view(t).substr(1, close == std::string::npos ? std::string::npos : close - 1));
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

    void Write(const std::string& section, const std::string& ident, const std::string& value) {
        std::string key = Folded(ident);
        if (key.empty()) return;
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
            s->Lines.insert(s->Lines.begin() + static_cast<std::ptrdiff_t>(at), Line{keyText + "=" + value, keyText, key});
            s->FirstLine.emplace(key, at);  // only blank lines moved
        }
        Dirty = true;
    }
};

namespace {

std::mutex g_documentsMutex;
std::map<std::string, std::weak_ptr<TIniFile::Document>>& Documents() {
    static auto* documents = new std::map<std::string, std::weak_ptr<TIniFile::Document>>;
    return *documents;
}

}  // namespace

std::string ProfileFolder() {
    std::string folder = RegistryFolder();
    ForceDirectories(folder);
    return folder;
}

TIniFile::TIniFile(const std::string& FileName) : fileName_(FileName) {
    std::string path = AbsoluteName(FileName);
    std::lock_guard<std::mutex> lock(g_documentsMutex);
    auto& documents = Documents();
    auto it = documents.find(path);
    if (it != documents.end()) doc_ = it->second.lock();
    if (doc_) {
        std::lock_guard<std::mutex> docLock(doc_->Mutex);
        if (!doc_->Dirty && !(FileStampOf(path) == doc_->Identity)) doc_->Load();  // changed on disk
        return;
    }
    doc_ = std::make_shared<Document>();
    doc_->Path = path;
    doc_->Load();
    documents[path] = doc_;
}

TIniFile::~TIniFile() {
    std::lock_guard<std::mutex> lock(g_documentsMutex);
    if (doc_.use_count() == 1) {
        try {
            UpdateFile();
        } catch (const EIniFileException&) {
            // nothing to report to from a destructor; the file keeps its old content
        }
        Documents().erase(doc_->Path);
    }
}

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
    doc_->Write(Section, Ident, Value);
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
    std::string key = Folded(Section);
    size_t before = doc_->Sections.size();
    std::erase_if(doc_->Sections, [&](const Document::Section& s) { return s.Key == key; });
    if (doc_->Sections.size() != before) {
        doc_->ReindexSections();
        doc_->Dirty = true;
    }
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    Document::Section* s = doc_->FindSection(Section);
    std::string key = Folded(Ident);
    if (!s || !s->Find(key)) return;
    std::erase_if(s->Lines, [&](const Document::Line& line) { return line.Key == key; });
    s->Reindex();
    doc_->Dirty = true;
}

void TIniFile::UpdateFile() {
    std::lock_guard<std::mutex> lock(doc_->Mutex);
    if (!doc_->Dirty) return;
    if (!WriteFileAtomically(doc_->Path, doc_->Text())) throw EIniFileException("Unable to write to " + fileName_);
    doc_->Dirty = false;
    doc_->Identity = FileStampOf(doc_->Path);
}
