#pragma once
// Starting files: a document (or a folder, or a URL) opens in the desktop's default application
// through "xdg-open", handed one absolute path or the URL; a program (an executable file holding
// machine code or a "#!" script, or a bare name found on PATH) runs itself with the parameters
// as its argument list. Nothing goes through a shell. Started processes are detached (their own
// session, no descriptor of ours beyond the standard three, stdin from /dev/null, never left as
// a zombie) and run in Directory when one is given.

#include <string>
#include <vector>

#include "framework/messages.h"

// Results at most 32 are errors, as the shell's: the file or program is missing (2), the folder
// is missing (3), it may not be run (5), nothing can open it (31, also when "xdg-open" is
// missing). Success answers 42.
constexpr Integer SE_ERR_FNF = 2;
constexpr Integer SE_ERR_PNF = 3;
constexpr Integer SE_ERR_ACCESSDENIED = 5;
constexpr Integer SE_ERR_NOASSOC = 31;

// Operation "" or "open" starts File; "properties" shows its Properties (InvokeShellVerbOnPath);
// others answer SE_ERR_NOASSOC. Parameters reach a program split as Windows splits a command
// line (blanks separate, double quotes group, backslashes escape only quotes); a document ignores
// them. ShowCmd is accepted and not used.
Integer ShellExecute(HWND Owner, const std::string& Operation, const std::string& File, const std::string& Parameters,
                     const std::string& Directory, Integer ShowCmd);
// ShellExecute with the default operation and the application's main form as owner.
Integer ShellExecuteFile(const std::string& File, const std::string& Parameters, const std::string& Directory,
                         Integer ShowCmd);

// The arguments of a Windows command line's parameters: blanks and tabs separate; "..." groups
// (a doubled quote inside stands for one quote); 2n backslashes before a quote give n and the
// quote groups, 2n+1 give n and a literal quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& Parameters);

// Starts Argv detached in Directory (the current folder when empty). Answers 0 when the program
// started, else the errno of the failure (the folder or the program).
int StartDetached(const std::vector<std::string>& Argv, const std::string& Directory);
