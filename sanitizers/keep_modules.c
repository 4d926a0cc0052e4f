/* Preloaded in the leak pass: dlclose does nothing, so a library that Mesa
 * or the X libraries unload before exit stays mapped and LeakSanitizer can
 * name it in a leak's stack (an unloaded one shows as "<unknown module>",
 * which no suppression can match). */
int dlclose(void* handle) {
    (void)handle;
    return 0;
}
