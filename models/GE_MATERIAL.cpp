#include "models/GE_MATERIAL.h"

TMaterialRecord DefaultMaterialRecord() {
    TMaterialRecord record;
    record.Name = "Default";
    for (int i = 0; i < 4; ++i) {
        record.FaceColor[i] = 1.0f;
        record.Specular[i] = 1.0f;
        record.Emissive[i] = 1.0f;
    }
    record.Power = 16.0f;
    return record;
}

TMaterial BuildMaterial(const TMaterialRecord& record) {
    TMaterial material;
    material.Name = record.Name;
    for (int i = 0; i < 4; ++i) {
        material.Diffuse[i] = record.FaceColor[i];
        material.Specular[i] = record.Specular[i];
        material.Emissive[i] = record.Emissive[i];
    }
    material.Power = record.Power;
    material.Transparent = record.FaceColor[3] < 1.0f;
    return material;
}
