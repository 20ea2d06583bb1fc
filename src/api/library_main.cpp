// The shared library's own translation unit. Everything it exports comes
// from zbdb_core; the record engine's exit handler closes open record files
// when the library is unloaded.
