// vellum-host: loads the module as the client does. Grown by its own work item.
int main() { return 0; }
