// Text extraction, quote fetch and parse, and the refresh pass live in this library.
