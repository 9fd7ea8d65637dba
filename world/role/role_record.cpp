#include "world/role/role_record.h"

RoleRecord gRole[kMaxRoles];
uint32_t TotalRole = 0;
uint32_t gPlayerRole = 0;
