// Keeps the support libraries non-empty while their folders are.
