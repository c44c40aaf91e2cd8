#pragma once
// Path and URL forms: pure string conversions between the path forms users type (drive, UNC and
// POSIX paths), the relative paths HTML needs and the forms previewers want.
//
// Path families: a path that begins with "/" is a POSIX path (separator "/", root "/", letter case
// significant); everything else follows Windows rules (backslash, drive or UNC root, case ignored).
// A relative path written with "/" and no backslash uses "/" as its separator; a bare name with no
// separator follows the other path of the same operation, or the platform's own separator.

#include <string>
#include <string_view>

namespace zarn {

// The path ending with a separator; an empty path stays empty, one already ending with "\" or "/"
// is unchanged. A POSIX path ends with "/" only: "/srv/my\dir" gives "/srv/my\dir/".
std::string WithTrailingBackslash(std::string_view path);

// True when the text before the first ":" (the whole text without one) is a known scheme word,
// ignoring case: HTTP, FTP, HTTPS, FILE, GOPHER, NEWS, MINITEL. A bare "news" counts. So does a
// reference to another host without a scheme ("//cdn.example.com/java/").
bool IsURL(std::string_view text);

// False for paths starting with "/" or "\" and for drive paths ("c:..."); true otherwise, also for "".
bool IsRelativePath(std::string_view path);

// True when the folder exists (also when empty); false for "".
bool DirectoryExists(std::string_view directory);

// The path that leads from directory `from` to directory `to`: "..\" steps and the rest of `to`,
// ending with a separator unless empty. Paths without a common root give `to` itself (with a
// trailing separator). UNC paths share a root when server and share match, ignoring case.
std::string MakeRelativePath(std::string_view from, std::string_view to);

// The code base as written into a CODEBASE attribute: URLs unchanged, absolute paths in their own
// form, relative paths with "/" separators.
std::string RelativeCodeBase(std::string_view baseDirectory, std::string_view codeBase);

// "c:\foo\bar.html" -> "file:/c:/foo/bar.html"; "/srv/a.html" -> "file:/srv/a.html";
// relative paths only get "/" separators.
std::string ToFileURL(std::string_view path);

// "c:\Temp\My Page.html" -> "file:///c|/Temp/My%20Page.html"; "/srv/a b" -> "file:///srv/a%20b";
// a backslash in a POSIX name is "%5C".
std::string ToNetscapeURL(std::string_view path);

// Every "/" becomes "\".
std::string ToDosPath(std::string_view text);

// True for a path beginning with "/".
bool IsPosixPath(std::string_view path);

// The folder part up to and including the last separator ("\", "/" or ":"; only "/" in a POSIX
// path), and the name after it.
std::string ExtractFilePath(std::string_view path);
std::string ExtractFileName(std::string_view path);

// True for an existing regular file (a folder does not count).
bool FileExists(std::string_view path);

} // namespace zarn
