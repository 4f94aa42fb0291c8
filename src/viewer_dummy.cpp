// Keeps a library non-empty while its folder is.
