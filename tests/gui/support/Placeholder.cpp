// Keeps the test support library non-empty while stand-ins are added.
