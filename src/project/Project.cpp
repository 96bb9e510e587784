// The project record and its two groups of values in the store.
#include "project/Project.h"

ProjectRecord g_project;
std::vector<std::string> g_projectUsers;
std::string g_userName;

ProjectRecord *CurrentProject() { return g_project.name.empty() ? nullptr : &g_project; }

void ClearProject() {
    g_project = ProjectRecord();
    g_projectUsers.clear();
    g_userName.clear();
}
