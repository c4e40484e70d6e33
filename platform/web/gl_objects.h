// What the page's platform files keep in GL, for a context the browser lost and gave back:
// each forgets its objects, which its next use builds again.
#ifndef VINCA_PLATFORM_WEB_GL_OBJECTS_H
#define VINCA_PLATFORM_WEB_GL_OBJECTS_H

void forgetKeptMeshes(); // mesh_arrays.cpp
void forgetLitProgram(); // shading.cpp

#endif
