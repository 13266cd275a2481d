/*
 * Kestrafix add-in: the C interface a host uses after dlopen("libkestrafix.so").
 *
 * Finding the library: kx_register_server() writes the per-user add-in registry file
 *   $XDG_CONFIG_HOME/kestrafix/addins.ini   (XDG_CONFIG_HOME unset: $HOME/.config)
 * with the section [Kestrafix.IFace] and the key Library = the absolute path of this library.
 * The package ships the same entry system-wide in /etc/xdg/kestrafix/addins.ini (each
 * $XDG_CONFIG_DIRS entry is searched). A host reads Library from the user's file first, then
 * from the system-wide ones, dlopens it and resolves the functions below with dlsym.
 *
 * Objects: kx_create_object("Kestrafix.IFace") gives an IFace object. Set its properties
 * (names compared without regard to case), call kx_object_run once, then release it.
 * An object belongs to the thread that created it: the add-in keeps the host's inputs per
 * thread, so every call on an object must come from that thread.
 *
 * Job grid: kx_grid_open_job_table() gives a kx_grid over the job table of a job database.
 * The host shows it through the kx_grid_* calls and hands the same handle to an object as
 * "SSDBGrid"; rows the dialogs add appear in it at once. Rows and columns count from 0.
 *
 * Errors come back as the return codes below; no call lets an exception or a signal out.
 * kx_last_error() gives the text of the last failing call of the thread.
 *
 * The test seam (a dialog played by a callback) is declared in kestrafix_testing.h.
 */
#ifndef KESTRAFIX_H
#define KESTRAFIX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define KX_API __attribute__((visibility("default")))
#else
#define KX_API
#endif

#define KX_API_VERSION 2

#define KX_PROGID "Kestrafix.IFace"

/* Return codes. */
#define KX_OK 0
#define KX_E_INVALID_ARG (-1)         /* null pointer or a handle this library did not make */
#define KX_E_CLASS_NOT_AVAILABLE (-2) /* unknown programmatic identifier */
#define KX_E_UNKNOWN_NAME (-3)        /* no property of that name */
#define KX_E_WRITE_ONLY (-4)          /* the property can be set but not read */
#define KX_E_BUFFER_TOO_SMALL (-5)    /* *needed tells the size, terminating NUL included */
#define KX_E_IO (-6)                  /* the registry file could not be written */
#define KX_E_ACCESS_DENIED (-7)       /* a test seam outside test mode */
#define KX_E_FAIL (-8)                /* anything else (out of memory, ...) */
#define KX_E_NOT_FOUND (-9)           /* the job database file does not exist */
#define KX_E_ENGINE (-10)             /* the database engine refused (no job table, not a database, ...) */

typedef struct kx_object kx_object;               /* an IFace */
typedef struct kx_class_factory kx_class_factory; /* makes IFace objects */
typedef struct kx_grid kx_grid;                   /* a job grid made by this library */

KX_API int kx_api_version(void);

/* Registration in the per-user add-in registry file (see above). */
KX_API int kx_register_server(void);
KX_API int kx_unregister_server(void);

/* Class object for a programmatic identifier ("Kestrafix.IFace", case ignored). */
KX_API int kx_get_class_object(const char* progid, kx_class_factory** factory);
KX_API int kx_factory_create_instance(kx_class_factory* factory, kx_object** object);
/* lock != 0 keeps the library loaded (kx_can_unload_now gives 0) until unlocked. */
KX_API int kx_factory_lock_server(kx_class_factory* factory, int lock);
KX_API int kx_factory_release(kx_class_factory* factory);

/* 1 when no object, class object or lock lives, so the host may dlclose; else 0. */
KX_API int kx_can_unload_now(void);

/* Shortcut: class object, create instance, release the class object. */
KX_API int kx_create_object(const char* progid, kx_object** object);

/* Reference counting; the last release ends the object, which clears what it set. */
KX_API int kx_object_add_ref(kx_object* object);
KX_API int kx_object_release(kx_object* object);

/* String properties: "IniFile", "filename", "Parameter", and the variable "Parameters".
 * value is UTF-8; NULL counts as "". */
KX_API int kx_object_put_string(kx_object* object, const char* name, const char* value);
/* Readable: "Parameters", and after kx_object_run "RecordsAffected": the number of jobs the
 * dialog stored or changed, as decimal text ("0" after a replace answered No or matching no
 * job). Copies the value with its NUL into buffer (size bytes); *needed (optional) receives
 * the size required. */
KX_API int kx_object_get_string(kx_object* object, const char* name, char* buffer, size_t size,
                                size_t* needed);

/* Object properties: "SSDBGrid" and "Data". The add-in keeps the handle until the object
 * ends or the property is set again, then calls release(handle) once (release may be NULL).
 * For "SSDBGrid" a kx_grid* made by this library is the grid the dialogs work on; any other
 * handle is kept and released the same way but gives the dialogs no grid. NULL clears. */
KX_API int kx_object_put_object(kx_object* object, const char* name, void* handle,
                                void (*release)(void* handle));

/* Runs the add-in: *result = 1 new job created, 2 replace confirmed, 0 otherwise. */
KX_API int kx_object_run(kx_object* object, int32_t* result);

/* Text of the last failing call on this thread ("" when none failed yet); copied like
 * kx_object_get_string. Engine errors read "<number>: <description>". */
KX_API int kx_last_error(char* buffer, size_t size, size_t* needed);

/* ---- Job grid ---- */

/* Opens a grid over the job table of the job database db_path (Windows form or native).
 * KX_E_NOT_FOUND: no such file; KX_E_ENGINE: the file is no job database. */
KX_API int kx_grid_open_job_table(const char* db_path, kx_grid** grid);
/* Ends the caller's reference to a grid handle; objects that hold the grid keep it. */
KX_API int kx_grid_release(kx_grid* grid);

/* Rows shown (those the filter lets through) and rows of the job table. */
KX_API int kx_grid_row_count(kx_grid* grid, int32_t* rows);
KX_API int kx_grid_total_row_count(kx_grid* grid, int32_t* rows);
KX_API int kx_grid_column_count(kx_grid* grid, int32_t* columns);
/* Name and caption of a column; copied like kx_object_get_string. A column without a
 * caption shows its name. */
KX_API int kx_grid_column_name(kx_grid* grid, int32_t column, char* buffer, size_t size, size_t* needed);
KX_API int kx_grid_column_caption(kx_grid* grid, int32_t column, char* buffer, size_t size, size_t* needed);

/* Kind of a cell's value, so that a host can sort numbers as numbers. */
#define KX_CELL_NULL 0
#define KX_CELL_NUMBER 1 /* whole or decimal number */
#define KX_CELL_TEXT 2   /* text, date, or yes/no ("True", "False") */
KX_API int kx_grid_cell_kind(kx_grid* grid, int32_t row, int32_t column, int* kind);
/* The cell's shown text ("" for Null); decimals use "." */
KX_API int kx_grid_cell_text(kx_grid* grid, int32_t row, int32_t column, char* buffer, size_t size,
                             size_t* needed);

/* The cell as a host shows it: the caption of its value where the message file gives one
 * ("NcData.<Column>(<value>).Caption", such as the names of the data types; see
 * kx_grid_use_message_captions), else its text. */
KX_API int kx_grid_cell_display_text(kx_grid* grid, int32_t row, int32_t column, char* buffer, size_t size,
                                     size_t* needed);

/* Shows only the jobs that hold text in some cell: a pattern with the job manager's wildcards
 * (* any text, ? one character, # one digit, [list], [!list]) found anywhere in a cell's shown
 * text, without case; "" or NULL shows every job. Rereads the rows like kx_grid_refresh.
 * KX_E_ENGINE for a pattern that cannot be read ("[a"): the rows stay as they were. */
KX_API int kx_grid_set_filter(kx_grid* grid, const char* text);
/* Orders the rows by a column (0 .. columns-1) as the database orders its values, Null first
 * going up, jobs of equal value in table order; descending non-zero for the reverse; column -1
 * for table order. The database sorts: the grid never holds the jobs it does not show. Rereads
 * the rows like kx_grid_refresh; the current job stays current. */
KX_API int kx_grid_set_sort(kx_grid* grid, int32_t column, int descending);

/* Current row and column, -1 when none. */
KX_API int kx_grid_current(kx_grid* grid, int32_t* row, int32_t* column);
/* Makes a row current (0 .. rows-1); a pending change is dropped. */
KX_API int kx_grid_set_row(kx_grid* grid, int32_t row);
/* Makes a column current (-1 .. columns-1; -1 = none). */
KX_API int kx_grid_set_col(kx_grid* grid, int32_t column);
/* Rereads the job table; the current row stays when it still exists, else the first row. */
KX_API int kx_grid_refresh(kx_grid* grid);

/* Captions from the host: fn(context, column name) returns the caption, or NULL for the
 * column's name. The text is copied at once. fn NULL goes back to the names. */
typedef const char* (*kx_caption_fn)(void* context, const char* column);
KX_API int kx_grid_set_caption_fn(kx_grid* grid, kx_caption_fn fn, void* context);
/* Captions from the message file that the new-job dialog loads for the host configuration
 * ini_file: the texts "NcData.<Column>.Caption" for the columns and "NcData.<Column>(<value>)
 * .Caption" for values, where present. KX_E_NOT_FOUND when the message file does not exist
 * (captions are then the names and values). */
KX_API int kx_grid_use_message_captions(kx_grid* grid, const char* ini_file);

/* ---- Replace history ---- */

/* The replace that an undo without an ID takes back in the job database of the host
 * configuration ini_file ([TORVEL] DbName): the newest one that is no undo and not undone.
 * *id its entry (0 when there is none), *restorable (optional) the jobs that still hold the
 * value it wrote, *untouched (optional) those changed since or deleted; its column name is
 * copied into column like kx_object_get_string (column NULL: not wanted). */
KX_API int kx_replace_undo_preview(const char* ini_file, int64_t* id, int32_t* restorable, int32_t* untouched,
                                   char* column, size_t size, size_t* needed);
/* Undoes replace id: the jobs that still hold the value it wrote get their old values back,
 * the others are left alone; the undo is recorded under [TORVEL] UserId (else the login name).
 * *restored and *untouched (optional) tell how it went. */
KX_API int kx_replace_undo(const char* ini_file, int64_t id, int32_t* restored, int32_t* untouched);

/* Pointer types of the entry points, for hosts that resolve them with dlsym. */
typedef int (*kx_api_version_fn)(void);
typedef int (*kx_register_server_fn)(void);
typedef int (*kx_unregister_server_fn)(void);
typedef int (*kx_get_class_object_fn)(const char*, kx_class_factory**);
typedef int (*kx_factory_create_instance_fn)(kx_class_factory*, kx_object**);
typedef int (*kx_factory_lock_server_fn)(kx_class_factory*, int);
typedef int (*kx_factory_release_fn)(kx_class_factory*);
typedef int (*kx_can_unload_now_fn)(void);
typedef int (*kx_create_object_fn)(const char*, kx_object**);
typedef int (*kx_object_add_ref_fn)(kx_object*);
typedef int (*kx_object_release_fn)(kx_object*);
typedef int (*kx_object_put_string_fn)(kx_object*, const char*, const char*);
typedef int (*kx_object_get_string_fn)(kx_object*, const char*, char*, size_t, size_t*);
typedef int (*kx_object_put_object_fn)(kx_object*, const char*, void*, void (*)(void*));
typedef int (*kx_object_run_fn)(kx_object*, int32_t*);
typedef int (*kx_last_error_fn)(char*, size_t, size_t*);
typedef int (*kx_grid_open_job_table_fn)(const char*, kx_grid**);
typedef int (*kx_grid_release_fn)(kx_grid*);
typedef int (*kx_grid_row_count_fn)(kx_grid*, int32_t*);
typedef int (*kx_grid_total_row_count_fn)(kx_grid*, int32_t*);
typedef int (*kx_grid_cell_display_text_fn)(kx_grid*, int32_t, int32_t, char*, size_t, size_t*);
typedef int (*kx_grid_set_filter_fn)(kx_grid*, const char*);
typedef int (*kx_grid_set_sort_fn)(kx_grid*, int32_t, int);
typedef int (*kx_grid_column_count_fn)(kx_grid*, int32_t*);
typedef int (*kx_grid_column_name_fn)(kx_grid*, int32_t, char*, size_t, size_t*);
typedef int (*kx_grid_column_caption_fn)(kx_grid*, int32_t, char*, size_t, size_t*);
typedef int (*kx_grid_cell_kind_fn)(kx_grid*, int32_t, int32_t, int*);
typedef int (*kx_grid_cell_text_fn)(kx_grid*, int32_t, int32_t, char*, size_t, size_t*);
typedef int (*kx_grid_current_fn)(kx_grid*, int32_t*, int32_t*);
typedef int (*kx_grid_set_row_fn)(kx_grid*, int32_t);
typedef int (*kx_grid_set_col_fn)(kx_grid*, int32_t);
typedef int (*kx_grid_refresh_fn)(kx_grid*);
typedef int (*kx_grid_set_caption_fn_fn)(kx_grid*, kx_caption_fn, void*);
typedef int (*kx_grid_use_message_captions_fn)(kx_grid*, const char*);
typedef int (*kx_replace_undo_preview_fn)(const char*, int64_t*, int32_t*, int32_t*, char*, size_t, size_t*);
typedef int (*kx_replace_undo_fn)(const char*, int64_t, int32_t*, int32_t*);

#ifdef __cplusplus
}
#endif

#endif /* KESTRAFIX_H */
