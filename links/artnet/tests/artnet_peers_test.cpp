// Placeholder filled below.
