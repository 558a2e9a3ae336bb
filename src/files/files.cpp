// Watch-list file, settings window and capture live in this library.
