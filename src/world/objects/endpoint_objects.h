#pragma once
// The world objects as the message endpoint sees them (core/msg_endpoint.h):
// kinds, states and fixed-handle flags through a world's handle table, and
// the role appearance through the current world.

// Installs the world's answers as g_EndpointObjects (idempotent).
void InstallEndpointObjects();
