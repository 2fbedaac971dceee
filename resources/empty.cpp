// Placeholder so the library has a source while no picture exists yet.
