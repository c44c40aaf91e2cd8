/*
 * ZarnPlugin.h - the contract between ZARN and a plug-in library.
 *
 * This is the one header a plug-in author needs. It is plain C, so a library written in C, C++ or
 * any language that can export C functions can serve.
 *
 * What a plug-in is
 * -----------------
 * A template may declare a parameter of the class TAPPlugin. Its section names a library and a
 * plug-in class:
 *
 *     [notes parameter]
 *     Class=TAPPlugin
 *     UFName=Text shown by the applet
 *     Plugin=memlet.dll
 *     pclass=Edit
 *
 * "Plugin" is the bare name of the library. ZARN looks for it only in its own plug-in folders: the
 * folder of the program and the installed plug-in folder. A name holding a folder part, a drive or
 * ".." is refused. A Windows-style name ("memlet.dll") stands for the platform's file of that
 * library: "memlet.dll" on Windows, "memlet.so" (or "libmemlet.so") on Linux, "memlet.dylib" on
 * macOS. "pclass" (default "Edit") is the class that CreateInstance is asked for.
 *
 * The library keeps its data in the same profile (INI) file and the same section as the
 * parameter's own keys, next to them. The keys ZARN itself uses there are "Class", "Value",
 * "UFName", "DontShowName", "DontShowUFName", "Visible", "DefaultValue", "Page", "Plugin" and
 * "pclass"; a library must not use these names.
 *
 * The exports
 * -----------
 * A library exports these six functions by name, undecorated, with the calling convention
 * ZARN_PLUGIN_CALL (see below):
 *
 *     CreateInstance(className)                 -> instance, or NULL for an unknown class
 *     FreeInstance(instance)
 *     EditProperties(instance)                  -> 1 when the user confirmed, 0 when cancelled
 *     SaveData(instance, fileName, section)
 *     LoadData(instance, fileName, section)
 *     CompileToHTML(instance, webRoot, webRoot) -> the value of the parameter's PARAM line
 *
 * and may export a seventh:
 *
 *     LastErrorText()                           -> why the last call failed, or "" / NULL
 *
 * ZARN binds them by name when a parameter naming the library is loaded. A library that
 * lacks one of the six, or whose CreateInstance returns NULL, is reported to the user as
 * "could not load plugin <name>" with the reason, and the document does not open.
 *
 * Texts
 * -----
 * Every text is a zero-terminated 8-bit string in the Windows-1252 code page (not UTF-8), the
 * encoding of the profile files, with one exception: file and folder names (fileName, webRoot) are
 * the file system's own bytes. Hand them to the file functions unchanged; never convert them as
 * Windows-1252 text.
 *  - Texts passed by ZARN belong to ZARN and are valid only during the call. Copy what you keep.
 *  - The text returned by CompileToHTML and by LastErrorText belongs to the library. It must stay
 *    valid until the next call into the library; ZARN copies it at once and never frees it. Any
 *    length is fine (keep it in a buffer that grows). NULL counts as the empty text.
 *
 * Instances
 * ---------
 * An instance is an opaque handle that only the library creates (CreateInstance) and destroys
 * (FreeInstance). ZARN creates one instance per plug-in parameter and keeps it for the
 * parameter's whole life, so one library serves several parameters of one document at once;
 * instances must not share their data. ZARN never passes NULL as an instance and never calls an
 * export after FreeInstance on the same instance.
 *
 * A library, once loaded, stays loaded until the program ends, also after its last instance is
 * freed. FreeInstance must release everything the instance holds; nothing is released by an unload.
 *
 * Sequence of calls
 * -----------------
 *  1. CreateInstance(pclass) when the parameter is loaded, then LoadData on the document's file and
 *     the parameter's section ("<name> parameter").
 *  2. Any number of EditProperties, SaveData and CompileToHTML.
 *     SaveData is given the file being written, not the document: the absolute path of a temporary
 *     sibling of the document being saved (which may be another file than the one loaded); it
 *     replaces the document only when the whole save succeeds and is deleted when it fails. Write
 *     only there, never to the document's own name.
 *  3. FreeInstance when the document is closed.
 * ZARN calls from one thread only, its user-interface thread. EditProperties runs a modal window
 * on that thread. A library must work without any window too: command-line hosts load, save and
 * compile documents but never edit, and may have no window system at all.
 *
 * The profile file
 * ----------------
 * The file is shared by name: ZARN writes its own keys to disk before calling LoadData or
 * SaveData, and reads the file again afterwards, so each side sees the other's writes. The library
 * may use any INI reader and writer that matches section and key names without regard to letter
 * case, keeps the other sections and keys as they are, and replaces a key's value in place.
 *
 * CompileToHTML
 * -------------
 * Returns the value ZARN puts into the parameter's PARAM line; the empty text gives no line.
 * webRoot is the folder standing for the root of the web site, in the platform's own form
 * ("C:\site\" or "/srv/site/"); it may lack its trailing separator, and it may be empty (a
 * document without a web root): then write no file at all, and return the value all the same.
 * Both texts passed are the web root; the second is kept for compatibility and may be ignored. A
 * library that writes files for the applet writes them inside the web root only, and never through
 * a link it finds there (write beside the final name and rename over it).
 * CompileToHTML runs whenever the block is compiled: for the code put on the clipboard, for a
 * preview, and also only to show it ("Show HTML Code"), so files are written then too.
 *
 * Failures
 * --------
 * No exception (C++ or any other kind of unwinding) may leave an export: it would end the program.
 * Catch everything at the boundary. To report a failure, export LastErrorText: every call of the
 * six exports first clears it, and a call that fails sets it to a message for the user (for
 * instance "Unable to write to C:\site\notes.txt"). ZARN reads it right after each call and shows
 * a non-empty text as an error. Without LastErrorText failures go unnoticed, but the library is
 * still a valid plug-in.
 *
 * Building on Windows (32-bit)
 * ----------------------------
 * ZARN_PLUGIN_CALL is __stdcall there, which decorates names ("_CreateInstance@4"). ZARN binds the
 * undecorated names, so export them undecorated: a .def file listing the seven names, or
 * -Wl,--kill-at with MinGW. On 64-bit Windows and elsewhere there is a single convention and
 * nothing to do.
 *
 * Example: a plug-in that stores one line of text and hands it to the applet
 * ---------------------------------------------------------------------------
 *
 *     #define ZARN_PLUGIN_LIBRARY // declares the exports, so the compiler checks each definition
 *     #include "ZarnPlugin.h"
 *     #include <stdlib.h>
 *     #include <string.h>
 *     #include <windows.h> // GetPrivateProfileStringA; use any INI library elsewhere
 *
 *     typedef struct { char text[256]; } Greeting;
 *     static char lastError[300];
 *
 *     ZARN_PLUGIN_EXPORT ZarnInstance ZARN_PLUGIN_CALL CreateInstance(const char* className) {
 *         lastError[0] = 0;
 *         if (strcmp(className, "Greeting") != 0)
 *             return NULL;
 *         return calloc(1, sizeof(Greeting));
 *     }
 *     ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL FreeInstance(ZarnInstance instance) {
 *         lastError[0] = 0;
 *         free(instance);
 *     }
 *     ZARN_PLUGIN_EXPORT int32_t ZARN_PLUGIN_CALL EditProperties(ZarnInstance instance) {
 *         lastError[0] = 0;
 *         (void)instance;
 *         return 0; // no editor: nothing changes
 *     }
 *     ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL SaveData(ZarnInstance instance, const char* fileName,
 *                                                       const char* section) {
 *         lastError[0] = 0;
 *         if (!WritePrivateProfileStringA(section, "Greeting", ((Greeting*)instance)->text, fileName))
 *             strcpy(lastError, "Unable to write the greeting");
 *     }
 *     ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL LoadData(ZarnInstance instance, const char* fileName,
 *                                                       const char* section) {
 *         Greeting* g = (Greeting*)instance;
 *         lastError[0] = 0;
 *         GetPrivateProfileStringA(section, "Greeting", "Hello", g->text, sizeof g->text, fileName);
 *     }
 *     ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL CompileToHTML(ZarnInstance instance,
 *                                                                   const char* webRoot,
 *                                                                   const char* unused) {
 *         lastError[0] = 0;
 *         (void)webRoot;
 *         (void)unused;
 *         return ((Greeting*)instance)->text; // owned by the instance, valid until the next call
 *     }
 *     ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL LastErrorText(void) {
 *         return lastError;
 *     }
 *
 * and in the template:
 *
 *     [greeting parameter]
 *     Class=TAPPlugin
 *     Plugin=greeting.dll
 *     pclass=Greeting
 */

#ifndef ZARN_PLUGIN_H
#define ZARN_PLUGIN_H

#include <stdint.h>

/* The calling convention of every export: stdcall on 32-bit Windows, the platform's only one
 * elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define ZARN_PLUGIN_CALL __stdcall
#else
#define ZARN_PLUGIN_CALL
#endif

/* Marks a function as exported from the library, also when the library hides its other symbols
 * (-fvisibility=hidden). */
#if defined(_WIN32)
#define ZARN_PLUGIN_EXPORT __declspec(dllexport)
#elif defined(__GNUC__) || defined(__clang__)
#define ZARN_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define ZARN_PLUGIN_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An instance of a plug-in class: opaque to ZARN, pointer-sized, NULL for none. */
typedef void* ZarnInstance;

/* The export names, as ZARN looks them up. */
#define ZARN_EXPORT_CREATE_INSTANCE "CreateInstance"
#define ZARN_EXPORT_FREE_INSTANCE "FreeInstance"
#define ZARN_EXPORT_EDIT_PROPERTIES "EditProperties"
#define ZARN_EXPORT_SAVE_DATA "SaveData"
#define ZARN_EXPORT_LOAD_DATA "LoadData"
#define ZARN_EXPORT_COMPILE_TO_HTML "CompileToHTML"
#define ZARN_EXPORT_LAST_ERROR_TEXT "LastErrorText"

/* Creates an instance of the named plug-in class (the name compared as the library likes; memlet
 * compares exactly). Returns NULL when the library has no such class. */
typedef ZarnInstance(ZARN_PLUGIN_CALL* ZarnCreateInstanceFn)(const char* className);

/* Destroys the instance and everything it owns, its windows too. */
typedef void(ZARN_PLUGIN_CALL* ZarnFreeInstanceFn)(ZarnInstance instance);

/* Lets the user edit the instance's data in a modal window. Returns 1 when the user confirmed (the
 * data may have changed), 0 when cancelled; only the low byte counts. A cancelled edit must leave
 * the data as it was: ZARN does not count it as a change of the document. */
typedef int32_t(ZARN_PLUGIN_CALL* ZarnEditPropertiesFn)(ZarnInstance instance);

/* Writes the instance's data into the section of the profile file: the temporary file being
 * written (see "Sequence of calls"), the only file to write. */
typedef void(ZARN_PLUGIN_CALL* ZarnSaveDataFn)(ZarnInstance instance, const char* fileName,
                                               const char* section);

/* Reads the instance's data from the section of the profile file. Missing keys take defaults. */
typedef void(ZARN_PLUGIN_CALL* ZarnLoadDataFn)(ZarnInstance instance, const char* fileName,
                                               const char* section);

/* Returns the PARAM value (owned by the library until its next call; NULL or "" for none). */
typedef const char*(ZARN_PLUGIN_CALL* ZarnCompileToHTMLFn)(ZarnInstance instance, const char* webRoot,
                                                           const char* secondText);

/* Optional. The message of the last failed call, "" or NULL after a call that succeeded (owned by
 * the library until its next call). */
typedef const char*(ZARN_PLUGIN_CALL* ZarnLastErrorTextFn)(void);

/* A library defines ZARN_PLUGIN_LIBRARY before including this header to have its definitions checked
 * against the contract. */
#ifdef ZARN_PLUGIN_LIBRARY
ZARN_PLUGIN_EXPORT ZarnInstance ZARN_PLUGIN_CALL CreateInstance(const char* className);
ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL FreeInstance(ZarnInstance instance);
ZARN_PLUGIN_EXPORT int32_t ZARN_PLUGIN_CALL EditProperties(ZarnInstance instance);
ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL SaveData(ZarnInstance instance, const char* fileName,
                                                  const char* section);
ZARN_PLUGIN_EXPORT void ZARN_PLUGIN_CALL LoadData(ZarnInstance instance, const char* fileName,
                                                  const char* section);
ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL CompileToHTML(ZarnInstance instance, const char* webRoot,
                                                              const char* secondText);
ZARN_PLUGIN_EXPORT const char* ZARN_PLUGIN_CALL LastErrorText(void);
#endif

#ifdef __cplusplus
}
#endif

#endif /* ZARN_PLUGIN_H */
