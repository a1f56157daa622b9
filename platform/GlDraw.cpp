// Draw calls: the program of the bound pair, the attributes of the current layout, the indices.
#include <algorithm>
#include <string>

#include "platform/GlDevice.h"
#include "util/Log.h"

namespace platform {

namespace {

constexpr uint32_t D3DFMT_INDEX32 = 102;

struct AttributeFormat {
    GLint Size;
    GLenum Type;
    GLboolean Normalised;
    uint32_t Bytes;
};

bool FormatOf(uint8_t type, AttributeFormat& format) {
    switch (type) {
        case D3DDECLTYPE_FLOAT1:
            format = {1, GL_FLOAT, GL_FALSE, 4};
            return true;
        case D3DDECLTYPE_FLOAT2:
            format = {2, GL_FLOAT, GL_FALSE, 8};
            return true;
        case D3DDECLTYPE_FLOAT3:
            format = {3, GL_FLOAT, GL_FALSE, 12};
            return true;
        case D3DDECLTYPE_FLOAT4:
            format = {4, GL_FLOAT, GL_FALSE, 16};
            return true;
        // ARGB little-endian: bytes B, G, R, A; the shader sees (r, g, b, a).
        case D3DDECLTYPE_D3DCOLOR:
            format = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, 4};
            return true;
        case 5:
            format = {4, GL_UNSIGNED_BYTE, GL_FALSE, 4};
            return true;  // UBYTE4
        case 6:
            format = {2, GL_SHORT, GL_FALSE, 4};
            return true;  // SHORT2
        case 7:
            format = {4, GL_SHORT, GL_FALSE, 8};
            return true;  // SHORT4
        case 8:
            format = {4, GL_UNSIGNED_BYTE, GL_TRUE, 4};
            return true;  // UBYTE4N
        case 9:
            format = {2, GL_SHORT, GL_TRUE, 4};
            return true;  // SHORT2N
        case 10:
            format = {4, GL_SHORT, GL_TRUE, 8};
            return true;  // SHORT4N
        case 15:
            format = {2, GL_HALF_FLOAT, GL_FALSE, 4};
            return true;  // FLOAT16_2
        case 16:
            format = {4, GL_HALF_FLOAT, GL_FALSE, 8};
            return true;  // FLOAT16_4
        default:
            return false;
    }
}

// The largest and smallest index of a range.
template <typename Index>
void IndexRange(const Index* indices, size_t count, uint32_t& lowest, uint32_t& highest) {
    lowest = 0xFFFFFFFFu;
    highest = 0;
    for (size_t i = 0; i < count; ++i) {
        lowest = std::min<uint32_t>(lowest, indices[i]);
        highest = std::max<uint32_t>(highest, indices[i]);
    }
}

void ReportOnce(bool& reported, const std::string& text) {
    if (!reported) {
        logging::Write("gl", text);
        reported = true;
    }
}

}  // namespace

bool GlDevice::PrimitiveMode(uint32_t primitiveType, uint32_t primitiveCount, GLenum& mode,
                             GLsizei& indexCount) const {
    if (primitiveCount == 0 || primitiveCount > (1u << 24)) {
        return false;
    }
    GLsizei count = static_cast<GLsizei>(primitiveCount);
    switch (primitiveType) {
        case 1:
            mode = GL_POINTS;
            indexCount = count;
            return true;
        case 2:
            mode = GL_LINES;
            indexCount = count * 2;
            return true;
        case 3:
            mode = GL_LINE_STRIP;
            indexCount = count + 1;
            return true;
        case D3DPT_TRIANGLELIST:
            mode = GL_TRIANGLES;
            indexCount = count * 3;
            return true;
        case 5:
            mode = GL_TRIANGLE_STRIP;
            indexCount = count + 2;
            return true;
        case 6:
            mode = GL_TRIANGLE_FAN;
            indexCount = count + 2;
            return true;
        default:
            return false;
    }
}

const std::vector<VertexElement>* GlDevice::CurrentElements(uint32_t& stride) {
    if (declaration_) {
        const Declaration* found = declarations_.Find(declaration_);
        if (found == nullptr) {
            return nullptr;
        }
        stride = found->Stride;
        return &found->Elements;
    }
    if (fvf_) {
        stride = fvfStride_;
        return &fvfElements_;
    }
    return nullptr;
}

bool GlDevice::BindElements(const std::vector<VertexElement>& elements, const BoundStream* streams,
                            uint32_t maxVertex) {
    for (GLuint location = 0; location < kAttributes; ++location) {
        glDisableVertexAttribArray(location);
    }
    // What an attribute reads when no element feeds it; colour is opaque white, as without diffuse.
    glVertexAttrib4f(7, 1.0f, 1.0f, 1.0f, 1.0f);
    for (const VertexElement& element : elements) {
        int location = AttributeLocation(element.Usage, element.UsageIndex);
        AttributeFormat format;
        if (location < 0 || element.Stream >= kStreams || !FormatOf(element.Type, format)) {
            continue;
        }
        const BoundStream& stream = streams[element.Stream];
        if (!stream.Name) {
            continue;
        }
        uint64_t last =
            uint64_t{stream.Offset} + uint64_t{stream.Stride} * maxVertex + element.Offset + format.Bytes;
        if (last > stream.Size) {
            return false;
        }
        if (stream.Source) {
            GrowStorage(*stream.Source, last);
        }
        glBindBuffer(GL_ARRAY_BUFFER, stream.Name);
        glVertexAttribPointer(
            static_cast<GLuint>(location), format.Size, format.Type, format.Normalised,
            static_cast<GLsizei>(stream.Stride),
            reinterpret_cast<const void*>(static_cast<uintptr_t>(stream.Offset + element.Offset)));
        glEnableVertexAttribArray(static_cast<GLuint>(location));
    }
    return true;
}

template <typename Draw>
void GlDevice::CountedDraw(uint32_t primitives, Draw&& draw) {
    const bool seen = fragmentCounting_ == FragmentCounting::PerDrawSeen;
    if ((fragmentCounting_ != FragmentCounting::PerDraw && !seen) || frameCounted_) {
        draw();
        return;
    }
    DrawFragments entry;
    entry.Primitives = primitives;
    entry.Texture = stageTextures_[0];
    entry.Blended = seen && blendEnable_;  // left out of the picture of seen triangles
    BeginQueries(NextQueries());           // one pair for every entry, also those left out
    if (!entry.Blended) {
        if (seen) {
            glUniform1i(seenDrawNumber_, static_cast<GLint>(frameDraws_.size()));
        }
        draw();
    }
    EndQueries();
    frameDraws_.push_back(entry);
}

bool GlDevice::PrepareDraw() {
    Program* program = CurrentProgram();
    if (!program || !program->Name) {
        return false;
    }
    glUseProgram(program->Name);
    seenDrawNumber_ = program->DrawNumber;
    UploadConstants(*program);
    return true;
}

void GlDevice::DrawIndexedPrimitive(uint32_t primitiveType, int32_t baseVertexIndex,
                                    uint32_t /*minVertexIndex*/, uint32_t /*numVertices*/,
                                    uint32_t startIndex, uint32_t primitiveCount) {
    CountDraw(primitiveCount);
    bool& reported = reportedBadDraw_;
    GLenum mode;
    GLsizei indexCount;
    uint32_t declaredStride = 0;
    const std::vector<VertexElement>* elements = CurrentElements(declaredStride);
    Buffer* indexBuffer = indexBuffers_.Find(indices_);
    if (!elements || indexBuffer == nullptr ||
        !PrimitiveMode(primitiveType, primitiveCount, mode, indexCount)) {
        return;
    }
    Buffer& indices = *indexBuffer;
    const uint64_t indexEnd = uint64_t{startIndex} + static_cast<uint64_t>(indexCount);
    if (indexEnd > indices.Size / 2) {
        ReportOnce(reported, "a draw reads indices past the end of its index buffer; skipped");
        return;
    }
    GrowStorage(indices, indexEnd * 2);
    BoundStream bound[kStreams];
    for (int stream = 0; stream < kStreams; ++stream) {
        if (Buffer* found = vertexBuffers_.Find(streams_[stream].Buffer)) {
            uint32_t stride =
                streams_[stream].Stride ? streams_[stream].Stride : (stream == 0 ? declaredStride : 0);
            bound[stream] = BoundStream{found->Name, streams_[stream].Offset, stride, found->Size, found};
        }
    }
    // The bounds of the whole buffer's indices first; only when they reach outside the vertices are
    // the draw's own indices read back.
    auto inRange = [&](uint32_t lowest, uint32_t highest) {
        const int64_t first = int64_t{baseVertexIndex} + lowest;
        const int64_t last = int64_t{baseVertexIndex} + highest;
        return first >= 0 && last <= 0xFFFFFFFFll &&
               BindElements(*elements, bound, static_cast<uint32_t>(last));
    };
    if (!inRange(indices.LowestIndex, indices.HighestIndex)) {
        uint32_t lowest, highest;
        ReadIndexRange(indices, startIndex, static_cast<uint32_t>(indexCount), lowest, highest);
        if (!inRange(lowest, highest)) {
            ReportOnce(reported, "a draw reads vertices outside its vertex buffer; skipped");
            return;
        }
    }
    if (!PrepareDraw()) {
        return;
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices.Name);
    CountedDraw(primitiveCount, [&] {
        glDrawElementsBaseVertex(mode, indexCount, GL_UNSIGNED_SHORT,
                                 reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * 2),
                                 baseVertexIndex);
    });
}

void GlDevice::ReadIndexRange(const Buffer& indices, uint32_t start, uint32_t count, uint32_t& lowest,
                              uint32_t& highest) {
    std::vector<uint16_t> read(count);
    glBindBuffer(GL_COPY_READ_BUFFER, indices.Name);
    glGetBufferSubData(GL_COPY_READ_BUFFER, static_cast<GLintptr>(start) * 2,
                       static_cast<GLsizeiptr>(count) * 2, read.data());
    IndexRange(read.data(), read.size(), lowest, highest);
}

void GlDevice::DrawIndexedPrimitiveUP(uint32_t primitiveType, uint32_t minVertexIndex, uint32_t numVertices,
                                      uint32_t primitiveCount, const void* indexData, uint32_t indexFormat,
                                      const void* vertexData, uint32_t vertexStride) {
    CountDraw(primitiveCount);
    bool& reported = reportedBadUserDraw_;
    GLenum mode;
    GLsizei indexCount;
    uint32_t declaredStride = 0;
    const std::vector<VertexElement>* elements = CurrentElements(declaredStride);
    bool wide = indexFormat == D3DFMT_INDEX32;
    if (elements && indexData && vertexData && vertexStride > 0 && (wide || indexFormat == D3DFMT_INDEX16) &&
        PrimitiveMode(primitiveType, primitiveCount, mode, indexCount)) {
        uint32_t lowest, highest;
        if (wide) {
            IndexRange(static_cast<const uint32_t*>(indexData), indexCount, lowest, highest);
        } else {
            IndexRange(static_cast<const uint16_t*>(indexData), indexCount, lowest, highest);
        }
        uint64_t vertexCount = uint64_t{minVertexIndex} + numVertices;
        if (highest >= vertexCount || vertexCount * vertexStride > (256u << 20)) {
            ReportOnce(reported, "a user-pointer draw has indices beyond its vertices; skipped");
        } else {
            size_t vertexBytes = static_cast<size_t>(vertexCount * vertexStride);
            glBindBuffer(GL_ARRAY_BUFFER, streamVertices_);
            glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), vertexData, GL_STREAM_DRAW);
            BoundStream bound[kStreams];
            bound[0] = BoundStream{streamVertices_, 0, vertexStride, vertexBytes};
            if (!BindElements(*elements, bound, highest)) {
                ReportOnce(reported, "a user-pointer draw's layout is wider than its vertex stride; skipped");
            } else if (PrepareDraw()) {
                glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
                glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount) * (wide ? 4 : 2),
                             indexData, GL_STREAM_DRAW);
                CountedDraw(primitiveCount, [&] {
                    glDrawElements(mode, indexCount, wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
                });
            }
        }
    }
    // As on Direct3D 9, a user-pointer draw leaves stream 0 and the indices unset.
    streams_[0] = Stream{};
    indices_ = IndexBufferHandle{};
}

}  // namespace platform
